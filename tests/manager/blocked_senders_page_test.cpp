// The Blocked Senders page driven through its controls, checked in the registry.
#include "manager/resource.h"
#include "tests/harness/import_patch.h"
#include "tests/harness/message_recorder.h"
#include "tests/manager/manager_fixture.h"
#include "tests/manager/sheet_driver.h"

#include <commctrl.h>

namespace sw::test {
namespace {

using Rows = std::vector<std::wstring>;

// Counts the stores of the Blocked Senders value while it is alive.
class ListWriteCounter {
public:
    ListWriteCounter()
        : m_patch("advapi32.dll", "RegSetValueExW", reinterpret_cast<void*>(&Count)) {
        s_self = this;
    }
    ~ListWriteCounter() { s_self = nullptr; }
    int writes() const noexcept { return m_writes; }

private:
    using SetValue = LSTATUS(WINAPI*)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);
    static LSTATUS WINAPI Count(HKEY key, LPCWSTR name, DWORD reserved, DWORD type,
                                const BYTE* data, DWORD size) {
        if (name && lstrcmpiW(name, L"001f041a") == 0)
            ++s_self->m_writes;
        return s_self->m_patch.original<SetValue>()(key, name, reserved, type, data, size);
    }

    static inline ListWriteCounter* s_self = nullptr;
    ImportPatch m_patch;
    int m_writes = 0;
};

// The file of the module whose code runs the window's class (the page keeps
// the keys of its list in a procedure of its own in front of it).
std::wstring WindowCodeModule(HWND window) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(GetClassLongPtrW(window, GCLP_WNDPROC)), &module);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    CharLowerW(path);
    return path;
}

class BlockedSendersPageTest : public ManagerTest {
protected:
    static HWND List(HWND page) { return GetDlgItem(page, IDC_ENTRIES); }
};

TEST_F(BlockedSendersPageTest, ShowsTheStoredListSortedAndOkWithoutChangeWritesNothing) {
    const std::wstring stored = L"b@x.com;A@x.com;a@X.com;c@y.org;;";
    StoreList(stored);
    ListWriteCounter counter;
    Rows rows;
    std::wstring total;
    LRESULT found = -2, notFound = -2;
    std::wstring listViewModule;
    LONG_PTR style = 0;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        const HWND list = List(page);
        rows = SheetDriver::Rows(list);
        total = SheetDriver::Text(page, IDC_TOTAL);
        style = GetWindowLongPtrW(list, GWL_STYLE);
        listViewModule = WindowCodeModule(list);
        // The list's keyboard search asks the page for whole texts.
        LVFINDINFOW find = {};
        find.flags = LVFI_STRING | LVFI_WRAP;
        find.psz = L"B@X.COM";
        found = SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(&find));
        find.psz = L"b@x";
        notFound = SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(&find));
        sheet.PressOk();
    });
    EXPECT_EQ(rows, (Rows{L"A@x.com", L"b@x.com", L"c@y.org"}));
    EXPECT_EQ(total, L"Total: 3");
    EXPECT_EQ(style & (LVS_TYPEMASK | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                       LVS_SHOWSELALWAYS),
              LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS);
    // Version 6 of the common controls, selected by the manifest.
    EXPECT_NE(listViewModule.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::wstring::npos)
        << std::string(listViewModule.begin(), listViewModule.end());
    EXPECT_EQ(found, 1);
    EXPECT_EQ(notFound, -1);
    EXPECT_EQ(counter.writes(), 0);
    EXPECT_EQ(StoredList(), stored);
}

TEST_F(BlockedSendersPageTest, RemovedRowsAreWrittenOnceOnOk) {
    StoreList(L"d@x.com;a@x.com;c@x.com;b@x.com;");
    ListWriteCounter counter;
    Rows rows;
    std::wstring total;
    LRESULT selected = -1;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        SheetDriver::SelectRows(List(page), {0, 2});
        SheetDriver::Click(page, IDC_REMOVE);
        rows = SheetDriver::Rows(List(page));
        total = SheetDriver::Text(page, IDC_TOTAL);
        selected = SendMessageW(List(page), LVM_GETSELECTEDCOUNT, 0, 0);
        sheet.PressOk();
    });
    EXPECT_EQ(rows, (Rows{L"b@x.com", L"d@x.com"}));
    EXPECT_EQ(total, L"Total: 4") << "the total stays as loaded";
    EXPECT_EQ(selected, 1) << "only the row that took the first removed one's place";
    EXPECT_EQ(counter.writes(), 1);
    EXPECT_EQ(StoredList(), L"b@x.com;d@x.com;");
}

TEST_F(BlockedSendersPageTest, InTheListDeleteRemovesAndEnterEditsInsteadOfPressingOk) {
    StoreList(L"d@x.com;a@x.com;c@x.com;b@x.com;");
    Rows afterDelete, afterEnter;
    std::wstring offered;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        const HWND list = List(page);
        SheetDriver::SelectRows(list, {0});
        SheetDriver::PostKey(list, VK_DELETE);
        SheetDriver::WaitFor([&] { return SheetDriver::RowCount(list) == 3; });
        afterDelete = SheetDriver::Rows(list);
        // The keyboard is on the row that took the removed one's place: a
        // list view answers Enter for it.
        SheetDriver::PostKey(list, VK_RETURN);
        const std::wstring edited = L"e@x.com";
        offered = sheet.AnswerEmailDialog(&edited);
        afterEnter = SheetDriver::Rows(list);
        sheet.PressOk();
    });
    EXPECT_EQ(afterDelete, (Rows{L"b@x.com", L"c@x.com", L"d@x.com"}));
    EXPECT_EQ(offered, L"b@x.com") << "Enter opened the selected entry, the sheet stayed";
    EXPECT_EQ(afterEnter, (Rows{L"c@x.com", L"d@x.com", L"e@x.com"}));
    EXPECT_EQ(StoredList(), L"c@x.com;d@x.com;e@x.com;");
}

TEST_F(BlockedSendersPageTest, AnAdditionOfThisSessionRemovedHereDoesNotComeBack) {
    StoreList(L"added@x.example;Kept@x.example;old@x.example;");
    g_host.blockedSinceLoad = {L"added@x.example", L"kept@x.example"};
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        SheetDriver::SelectRows(List(page), {0});
        SheetDriver::Click(page, IDC_REMOVE);
        sheet.PressOk();
    });
    EXPECT_EQ(g_host.blockedSinceLoad, Rows{L"kept@x.example"});
    // Outlook closes: the session's additions go back into the list, but
    // not the one the user removed.
    ShowOutcome(ReapplyBlockedAdditions(g_host.Profile(), g_host.blockedSinceLoad,
                                        g_host.newBlockedEntries));
    EXPECT_EQ(StoredList(), L"Kept@x.example;old@x.example;");
}

TEST_F(BlockedSendersPageTest, OkWritesNothingWhenTheListCannotBeReadAgain) {
    StoreList(L"a@x.com;b@x.com;");
    MessageRecorder messages;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        SheetDriver::SelectRows(List(page), {0});
        SheetDriver::Click(page, IDC_REMOVE);
        RegistrySandbox::DeleteKey(m_listKey); // the profile went meanwhile
        sheet.PressOk();
    });
    EXPECT_EQ(messages.texts(), std::vector<std::wstring>{L"RegOpenKeyEx Failed: 2."});
    EXPECT_FALSE(RegistrySandbox::KeyExists(m_listKey)) << "nothing written";
}

TEST_F(BlockedSendersPageTest, CancelWritesNothingAndRemovingEverythingWritesTheEmptyList) {
    const std::wstring stored = L"a@x.com;b@x.com;";
    StoreList(stored);
    for (bool ok : {false, true}) {
        ListWriteCounter counter;
        RunOptionsSheet([&](SheetDriver& sheet) {
            const HWND page = sheet.ShowPage(1);
            SheetDriver::SelectRows(List(page), {0, 1});
            SheetDriver::Click(page, IDC_REMOVE);
            EXPECT_EQ(SheetDriver::RowCount(List(page)), 0);
            ok ? sheet.PressOk() : sheet.PressCancel();
        });
        EXPECT_EQ(counter.writes(), ok ? 1 : 0);
        EXPECT_EQ(StoredList(), ok ? L"" : stored);
    }
}

TEST_F(BlockedSendersPageTest, SearchThenConvertConvertsExactlyTheSelectedShownRows) {
    // From version 14 the list also goes to every account.
    g_host.capabilities = HostCapabilities(14);
    g_host.accountKeys = {L"00aa"};
    const std::wstring accountKey = ProfileSubkeyPath(g_host.Profile(), L"00aa");
    RegistrySandbox::CreateKey(accountKey);
    StoreList(L"a@one.com;b@one.com;c@two.com;d@one.com;Z@ONE.COM;");
    Rows capitals, searched, converted;
    // The count of shown rows at each step, and the total beside it.
    Rows counts, totals;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        const auto note = [&] {
            counts.push_back(SheetDriver::Text(page, IDC_SHOWN));
            totals.push_back(SheetDriver::Text(page, IDC_TOTAL));
        };
        note();
        SheetDriver::SetText(page, IDC_SEARCH, L"ONE");
        capitals = SheetDriver::Rows(List(page));
        note();
        SheetDriver::SetText(page, IDC_SEARCH, L"one");
        searched = SheetDriver::Rows(List(page));
        note();
        SheetDriver::SelectRows(List(page), {0, 2});
        SheetDriver::Click(page, IDC_CONVERT_TO_DOMAIN);
        converted = SheetDriver::Rows(List(page));
        note();
        SheetDriver::SetText(page, IDC_SEARCH, L"");
        note();
        sheet.PressOk();
    });
    EXPECT_EQ(capitals, (Rows{L"Z@ONE.COM"}));
    EXPECT_EQ(searched, (Rows{L"a@one.com", L"b@one.com", L"d@one.com"}));
    EXPECT_EQ(converted, (Rows{L"@one.com", L"b@one.com"}));
    EXPECT_EQ(counts, (Rows{L"", L"Shown: 1", L"Shown: 3", L"Shown: 2", L""}));
    EXPECT_EQ(totals, Rows(5, L"Total: 5")) << "the total stays as loaded";
    EXPECT_EQ(StoredList(), L"@one.com;b@one.com;c@two.com;Z@ONE.COM;");
    EXPECT_EQ(RegistrySandbox::GetText(accountKey, kBlockedValue), StoredList());
}

TEST_F(BlockedSendersPageTest, WithNothingShownOnlyEditSaysSomething) {
    StoreList(L"ann@example.com;");
    MessageRecorder messages;
    ListWriteCounter counter;
    int rows = -1;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        SheetDriver::SetText(page, IDC_SEARCH, L"nobody");
        rows = SheetDriver::RowCount(List(page));
        SheetDriver::Click(page, IDC_REMOVE);
        SheetDriver::Click(page, IDC_CONVERT_TO_DOMAIN);
        SheetDriver::Click(page, IDC_EDIT);
        sheet.PressOk();
    });
    EXPECT_EQ(rows, 0);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, L"Select an Email address first.");
    EXPECT_EQ(messages.messages()[0].caption, L"Spamwarden");
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Information);
    EXPECT_EQ(counter.writes(), 0);
}

TEST_F(BlockedSendersPageTest, EditChangesTheFirstSelectedRowButNotItsLetterCaseAlone) {
    StoreList(L"ann@example.com;bob@example.com;");
    std::wstring opened;
    Rows rows;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        SheetDriver::SelectRows(List(page), {1});
        SheetDriver::PostClick(page, IDC_EDIT);
        sheet.AnswerEmailDialog(nullptr); // Cancel
        SheetDriver::PostClick(page, IDC_EDIT);
        const std::wstring edited = L"BOB@EXAMPLE.COM";
        opened = sheet.AnswerEmailDialog(&edited);
        sheet.PressOk();
    });
    EXPECT_EQ(opened, L"bob@example.com");
    EXPECT_EQ(StoredList(), L"ann@example.com;bob@example.com;") << "nothing written";

    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        SheetDriver::SelectRows(List(page), {0, 1});
        SheetDriver::PostClick(page, IDC_EDIT);
        const std::wstring edited = L"zed@example.net";
        opened = sheet.AnswerEmailDialog(&edited);
        rows = SheetDriver::Rows(List(page));
        sheet.PressOk();
    });
    EXPECT_EQ(opened, L"ann@example.com");
    EXPECT_EQ(rows, (Rows{L"bob@example.com", L"zed@example.net"}));
    EXPECT_EQ(StoredList(), L"bob@example.com;zed@example.net;");
}

TEST_F(BlockedSendersPageTest, AFailedReadShowsTheStoresMessageAndAnEmptyList) {
    RegistrySandbox::DeleteKey(m_listKey);
    MessageRecorder messages;
    ListWriteCounter counter;
    int rows = -1;
    std::wstring total;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        rows = SheetDriver::RowCount(List(page));
        total = SheetDriver::Text(page, IDC_TOTAL);
        // Even with the key back, OK must not replace the list it never read.
        RegistrySandbox::CreateKey(m_listKey);
        sheet.PressOk();
    });
    EXPECT_EQ(messages.texts(), std::vector<std::wstring>{L"RegOpenKeyEx Failed: 2."});
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(total, L"Total: 0");
    EXPECT_EQ(counter.writes(), 0);
    EXPECT_FALSE(StoredList().has_value());
}

} // namespace
} // namespace sw::test
