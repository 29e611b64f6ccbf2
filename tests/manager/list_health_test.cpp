// The Blocked Senders page's tools for a healthy list, driven through the
// real sheet: the capacity meter, Tidy, Import and Export.
#include "manager/file_chooser.h"
#include "manager/blocked_list_preload.h"
#include "manager/blocked_senders_page.h"
#include "manager/list_transfer.h"
#include "manager/resource.h"
#include "manager/tidy_dialog.h"
#include "tests/harness/message_recorder.h"
#include "tests/harness/scratch_files.h"
#include "tests/manager/manager_fixture.h"
#include "tests/manager/sheet_driver.h"

#include <commctrl.h>
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace sw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

constexpr wchar_t kTidyTitle[] = L"Tidy the Blocked Senders List";

// `count` entries of 19 units each and their ";": 40 bytes an entry.
std::wstring FillerList(size_t count) {
    std::wstring list;
    for (size_t i = 0; i < count; ++i) {
        wchar_t entry[32];
        swprintf(entry, 32, L"s%05zu@spam.example;", i);
        list += entry;
    }
    return list;
}

class ListHealthTest : public ManagerTest {
protected:
    ListHealthTest() : m_previousChooser(SetFileChooser(&Choose)) { s_chosen.clear(); }
    ~ListHealthTest() override { SetFileChooser(m_previousChooser); }

    static bool Choose(HWND, FileChoice choice, std::wstring& path) {
        s_choices.push_back(choice);
        path = s_chosen;
        return !s_chosen.empty();
    }

    static HWND List(HWND page) { return GetDlgItem(page, IDC_ENTRIES); }
    // Themed Windows colours the bar by its state, classic Windows and Wine
    // by its bar colour; the page sets both, and Wine keeps only the colour.
    static LRESULT BarColour(HWND page) {
        return SendDlgItemMessageW(page, IDC_CAPACITY_BAR, PBM_GETBARCOLOR, 0, 0);
    }
    static LRESULT BarPosition(HWND page) {
        return SendDlgItemMessageW(page, IDC_CAPACITY_BAR, PBM_GETPOS, 0, 0);
    }

    static inline std::wstring s_chosen;
    static inline std::vector<FileChoice> s_choices;
    FileChooser m_previousChooser;
    MessageRecorder m_messages;
};

TEST_F(ListHealthTest, TheMeterFollowsEveryEditAndAFullListWorksAsAnyOther) {
    // 13,057 entries: 522,282 bytes stored, just past 510 KB.
    StoreList(FillerList(13057));
    std::wstring opened, afterRemove, afterCancel;
    LRESULT openedState = 0, afterRemoveState = 0, openedPosition = 0;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        opened = SheetDriver::Text(page, IDC_CAPACITY_TEXT);
        openedState = BarColour(page);
        openedPosition = BarPosition(page);
        SheetDriver::SelectRows(List(page), {0, 1});
        SheetDriver::Click(page, IDC_REMOVE);
        afterRemove = SheetDriver::Text(page, IDC_CAPACITY_TEXT);
        afterRemoveState = BarColour(page);
        sheet.PressOk();
    });
    EXPECT_EQ(opened, L"13,057 entries \u00B7 511 KB of 510 KB \u2014 over the limit");
    EXPECT_EQ(openedState, static_cast<LRESULT>(kCapacityOverColour));
    EXPECT_EQ(openedPosition, 100);
    EXPECT_EQ(afterRemove, L"13,055 entries \u00B7 510 KB of 510 KB \u2014 nearly full");
    EXPECT_EQ(afterRemoveState, static_cast<LRESULT>(kCapacityWarningColour));
    EXPECT_EQ(StoredList()->size(), 13055u * 20u);
    EXPECT_THAT(m_messages.texts(), IsEmpty());

    // The Safe Senders value counts against the same limit.
    StoreList(L"a@b.example;");
    RegistrySandbox::SetValue(m_listKey, L"001f0418", REG_BINARY, L"boss@corp.example;",
                              19 * sizeof(wchar_t));
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        opened = SheetDriver::Text(page, IDC_CAPACITY_TEXT);
        openedState = BarColour(page);
        openedPosition = BarPosition(page);
    });
    EXPECT_EQ(opened, L"1 entry \u00B7 1 KB of 510 KB");
    EXPECT_EQ(openedState, static_cast<LRESULT>(CLR_DEFAULT));
    EXPECT_EQ(openedPosition, 0);
}

TEST_F(ListHealthTest, TheListIsReadAheadWithoutAWordAndFailuresAreLeftToThePage) {
    StoreList(L"b@x.example;A@x.example;a@X.example;");
    RegistrySandbox::SetValue(m_listKey, L"001f0418", REG_BINARY, L"boss@corp.example;",
                              19 * sizeof(wchar_t));
    LoadedBlockedList loaded = LoadBlockedList(g_host.Profile());
    EXPECT_TRUE(loaded.read);
    EXPECT_THAT(loaded.list.Entries(), ElementsAre(L"A@x.example", L"b@x.example"));
    EXPECT_THAT(loaded.list.Duplicates(), ElementsAre(L"a@X.example"));
    EXPECT_TRUE(loaded.safeRead);
    EXPECT_EQ(loaded.safeBytes, 38u);

    // No profile key: nothing read, nothing said; the page reads again and
    // the store tells the user there.
    RegistrySandbox::DeleteKey(m_listKey);
    loaded = LoadBlockedList(g_host.Profile());
    EXPECT_FALSE(loaded.read);
    EXPECT_TRUE(loaded.list.Entries().empty());
    EXPECT_THAT(m_messages.texts(), IsEmpty());
    std::vector<std::wstring> rows{L"not shown"};
    RunOptionsSheet([&](SheetDriver& sheet) { rows = SheetDriver::Rows(List(sheet.ShowPage(1))); });
    EXPECT_THAT(rows, IsEmpty());
    EXPECT_THAT(m_messages.texts(), ElementsAre(L"RegOpenKeyEx Failed: 2."));
}

TEST_F(ListHealthTest, TidyProposesThreeGroupsAndAppliesTheChosenOnesOnOk) {
    StoreList(L"Ann@Spam.example;ann@spam.example;@spam.example;bob@spam.example;"
              L"a@fold.example;b@fold.example;c@fold.example;x@gmail.com;y@gmail.com;"
              L"z@gmail.com;solo@other.example;");
    std::vector<int> previewRows;
    std::vector<std::wstring> saves;
    int foldRowsAtFour = -1;
    std::wstring foldSavesAtFour, meterBefore, meterAfter, total;
    std::vector<std::wstring> rows;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        meterBefore = SheetDriver::Text(page, IDC_CAPACITY_TEXT);
        total = SheetDriver::Text(page, IDC_TOTAL);
        SheetDriver::PostClick(page, IDC_TIDY);
        const HWND tidy = sheet.WaitForWindow(kTidyTitle);
        if (!tidy)
            return;
        for (int list : {IDC_TIDY_DUPLICATES_LIST, IDC_TIDY_COVERED_LIST, IDC_TIDY_FOLD_LIST})
            previewRows.push_back(
                static_cast<int>(SendDlgItemMessageW(tidy, list, LB_GETCOUNT, 0, 0)));
        for (int label : {IDC_TIDY_DUPLICATES_SAVES, IDC_TIDY_COVERED_SAVES, IDC_TIDY_FOLD_SAVES})
            saves.push_back(SheetDriver::Text(tidy, label));
        // A higher threshold leaves fold.example alone; back to 3.
        SheetDriver::SetText(tidy, IDC_TIDY_THRESHOLD, L"4");
        foldRowsAtFour =
            static_cast<int>(SendDlgItemMessageW(tidy, IDC_TIDY_FOLD_LIST, LB_GETCOUNT, 0, 0));
        foldSavesAtFour = SheetDriver::Text(tidy, IDC_TIDY_FOLD_SAVES);
        SheetDriver::SetText(tidy, IDC_TIDY_THRESHOLD, L"3");
        // The covered addresses stay.
        SheetDriver::Click(tidy, IDC_TIDY_COVERED);
        SheetDriver::Click(tidy, IDOK);
        SheetDriver::WaitUntilGone(tidy);
        rows = SheetDriver::Rows(List(page));
        meterAfter = SheetDriver::Text(page, IDC_CAPACITY_TEXT);
        sheet.PressOk();
    });
    EXPECT_THAT(previewRows, ElementsAre(1, 2, 1));
    EXPECT_THAT(saves, ElementsAre(SavingsText(1, 34), SavingsText(2, 68), SavingsText(2, 62)));
    EXPECT_EQ(foldRowsAtFour, 0);
    EXPECT_EQ(foldSavesAtFour, L"nothing to do");
    EXPECT_THAT(rows, ElementsAre(L"@fold.example", L"@spam.example", L"Ann@Spam.example",
                                  L"bob@spam.example", L"solo@other.example", L"x@gmail.com",
                                  L"y@gmail.com", L"z@gmail.com"));
    // The copy in another letter case is stored, yet no row: the meter's
    // count agrees with the total and names the copy apart.
    EXPECT_EQ(total, L"Total: 10");
    EXPECT_THAT(meterBefore, StartsWith(L"10 entries + 1 copy \u00B7"));
    EXPECT_THAT(meterAfter, StartsWith(L"8 entries"));
    EXPECT_EQ(StoredList(), L"@fold.example;@spam.example;Ann@Spam.example;bob@spam.example;"
                            L"solo@other.example;x@gmail.com;y@gmail.com;z@gmail.com;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ListHealthTest, TidyCancelledOrCancelOnTheSheetWritesNothing) {
    const std::wstring stored = L"a@fold.example;b@fold.example;c@fold.example;";
    StoreList(stored);
    std::vector<std::wstring> rows;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        SheetDriver::PostClick(page, IDC_TIDY);
        if (const HWND tidy = sheet.WaitForWindow(kTidyTitle)) {
            SheetDriver::Click(tidy, IDCANCEL);
            SheetDriver::WaitUntilGone(tidy);
        }
        rows = SheetDriver::Rows(List(page));
        SheetDriver::PostClick(page, IDC_TIDY);
        if (const HWND tidy = sheet.WaitForWindow(kTidyTitle)) {
            SheetDriver::Click(tidy, IDOK);
            SheetDriver::WaitUntilGone(tidy);
        }
        sheet.PressCancel();
    });
    EXPECT_THAT(rows, ElementsAre(L"a@fold.example", L"b@fold.example", L"c@fold.example"));
    EXPECT_EQ(StoredList(), stored);
}

TEST_F(ListHealthTest, ImportMergesReportsOnceAndExportWritesTheShownRows) {
    StoreList(L"keep@listed.example;");
    const std::string file = "ann@import.example\r\nexample.com\r\n*@star.example\r\nbad line\r\n"
                             "x;y@z.example\r\n\r\nANN@IMPORT.EXAMPLE\r\nKEEP@listed.example\r\n";
    const std::wstring importPath = ScratchPath(L"import.txt");
    const std::wstring exportPath = ScratchPath(L"export.txt");
    WriteBytes(importPath, file);
    DeleteFileW(exportPath.c_str());
    std::vector<std::wstring> rows;
    std::wstring meter;
    s_choices.clear();
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        s_chosen = importPath;
        SheetDriver::Click(page, IDC_IMPORT);
        rows = SheetDriver::Rows(List(page));
        meter = SheetDriver::Text(page, IDC_CAPACITY_TEXT);
        // The shown rows only, while a search is on.
        SheetDriver::SetText(page, IDC_SEARCH, L"st");
        s_chosen = exportPath;
        SheetDriver::Click(page, IDC_EXPORT);
        sheet.PressOk();
    });
    std::wstring decoded;
    std::wstring error;
    ASSERT_TRUE(DecodeListFile(file, decoded, error));
    const ImportedLines parsed = ParseImportedLines(decoded);
    EXPECT_THAT(m_messages.texts(), ElementsAre(ImportReport(3, 1, parsed.skipped)));
    EXPECT_EQ(m_messages.messages()[0].icon, MessageIcon::Information);
    EXPECT_THAT(s_choices, ElementsAre(FileChoice::Open, FileChoice::Save));
    EXPECT_THAT(rows, ElementsAre(L"@example.com", L"@star.example", L"ann@import.example",
                                  L"keep@listed.example"));
    EXPECT_THAT(meter, StartsWith(L"4 entries"));
    EXPECT_EQ(StoredList(), L"@example.com;@star.example;ann@import.example;keep@listed.example;");
    EXPECT_EQ(ReadBytes(exportPath), "@star.example\r\nkeep@listed.example\r\n");
    DeleteFileW(importPath.c_str());
    DeleteFileW(exportPath.c_str());
}

TEST_F(ListHealthTest, AFileThatCannotBeUsedSaysWhichAndWhyAndChangesNothing) {
    const std::wstring stored = L"keep@listed.example;";
    StoreList(stored);
    const std::wstring missing = ScratchPath(L"no-such-file.txt");
    const std::wstring noFolder = ScratchPath(L"no-such-folder") + L"\\export.txt";
    std::vector<std::wstring> rows;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        s_chosen = missing;
        SheetDriver::Click(page, IDC_IMPORT);
        s_chosen = noFolder;
        SheetDriver::Click(page, IDC_EXPORT);
        s_chosen.clear(); // the user cancels the dialog
        SheetDriver::Click(page, IDC_IMPORT);
        rows = SheetDriver::Rows(List(page));
        sheet.PressOk();
    });
    ASSERT_EQ(m_messages.texts().size(), 2u);
    EXPECT_THAT(m_messages.texts()[0], StartsWith(missing));
    EXPECT_THAT(m_messages.texts()[1], StartsWith(noFolder));
    EXPECT_THAT(rows, ElementsAre(L"keep@listed.example"));
    EXPECT_EQ(StoredList(), stored);
}

} // namespace
} // namespace sw::test
