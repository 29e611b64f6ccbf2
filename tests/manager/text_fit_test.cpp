// The Options sheet's pages and the Tidy dialog at the sample data, their
// texts read back and measured: no label, button, list line or History
// column cuts its text, at 96 DPI and, in a process of its own each, at 144
// and 192 DPI.
#include "manager/resource.h"
#include "platform/dpi.h"
#include "store/history.h"
#include "tests/harness/machine_registry_sandbox.h"
#include "tests/harness/scratch_files.h"
#include "tests/manager/manager_fixture.h"
#include "tests/manager/sample_data.h"
#include "tests/manager/sheet_driver.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

namespace sw::test {
namespace {

using Rows = std::vector<std::wstring>;
using ::testing::IsEmpty;

// What the list view draws around a cell's text (comctl32 adds as much to
// ListView_GetStringWidth when it sizes a column to its content).
constexpr int kCellPadding = 12;

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    return name;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Measures texts in a window's own font.
class FontDc {
public:
    explicit FontDc(HWND window)
        : m_window(window), m_dc(GetDC(window)),
          m_old(SelectObject(m_dc,
                             reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)))) {}
    ~FontDc() {
        SelectObject(m_dc, m_old);
        ReleaseDC(m_window, m_dc);
    }
    FontDc(const FontDc&) = delete;
    FontDc& operator=(const FontDc&) = delete;

    // The room `text` takes laid out with `format` in `width` pixels.
    SIZE Needs(const std::wstring& text, UINT format, int width) const {
        RECT rect = {0, 0, width, 0};
        DrawTextW(m_dc, text.c_str(), -1, &rect, format | DT_CALCRECT);
        return {rect.right, rect.bottom};
    }
    int Width(const std::wstring& text) const {
        SIZE size = {};
        GetTextExtentPoint32W(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    HWND m_window;
    HDC m_dc;
    HGDIOBJ m_old;
};

// "what was cut (where)" for every text of `dialog`'s visible labels,
// buttons and list box lines that does not fit its control.
Rows CutTexts(HWND dialog, const char* where) {
    Rows cut;
    const auto note = [&](const std::wstring& text) {
        cut.push_back(text + L" (" + std::wstring(where, where + strlen(where)) + L")");
    };
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if (!(style & WS_VISIBLE))
            continue;
        const std::wstring type = ClassOf(child);
        RECT room = {};
        GetClientRect(child, &room);
        const FontDc dc(child);
        if (_wcsicmp(type.c_str(), L"ListBox") == 0) {
            // Lines are drawn 2 pixels in from either side.
            const int count = static_cast<int>(SendMessageW(child, LB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                std::wstring line(static_cast<size_t>(SendMessageW(child, LB_GETTEXTLEN, i, 0)) + 1,
                                  L'\0');
                line.resize(static_cast<size_t>(
                    SendMessageW(child, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
                if (dc.Width(line) > room.right - 4)
                    note(line);
            }
            continue;
        }
        const std::wstring text = TextOf(child);
        if (text.empty())
            continue;
        UINT format = DT_WORDBREAK | DT_EXPANDTABS;
        if (_wcsicmp(type.c_str(), L"Static") == 0) {
            if (style & SS_NOPREFIX)
                format |= DT_NOPREFIX;
        } else if (_wcsicmp(type.c_str(), L"Button") == 0) {
            const LONG_PTR kind = style & BS_TYPEMASK;
            if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON ||
                kind == BS_AUTORADIOBUTTON || kind == BS_3STATE || kind == BS_AUTO3STATE)
                room.left += GetSystemMetrics(SM_CXMENUCHECK) + 4; // the box and its gap
            else
                InflateRect(&room, -4, -3); // the button's edge and focus rectangle
            if (!(style & BS_MULTILINE))
                format = DT_SINGLELINE;
        } else {
            continue;
        }
        const SIZE needs = dc.Needs(text, format, room.right - room.left);
        if (needs.cx > room.right - room.left || needs.cy > room.bottom - room.top)
            note(text + L": needs " + std::to_wstring(needs.cx) + L"\u00D7" +
                 std::to_wstring(needs.cy) + L" px, has " +
                 std::to_wstring(room.right - room.left) + L"\u00D7" +
                 std::to_wstring(room.bottom - room.top));
    }
    return cut;
}

std::wstring Cell(HWND list, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = ARRAYSIZE(text);
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

void Unselect(HWND list) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

int StringWidth(HWND list, const std::wstring& text) {
    return static_cast<int>(
        SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

// The History list's headings and its Time, Command and Messages cells that
// their columns cut; also a column past the list's right edge, which needs a
// horizontal scroll bar.
Rows CutColumns(HWND list, const char* where) {
    Rows cut;
    const std::wstring place(where, where + strlen(where));
    const HWND header = ListView_GetHeader(list);
    int right = 0;
    for (int column = 0; column < Header_GetItemCount(header); ++column) {
        const int width = ListView_GetColumnWidth(list, column);
        right += width;
        wchar_t heading[64] = {};
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = heading;
        item.cchTextMax = ARRAYSIZE(heading);
        Header_GetItem(header, column, &item);
        if (StringWidth(list, heading) + kCellPadding > width)
            cut.push_back(std::wstring(heading) + L" (" + place + L")");
        if (column == 2) // Entries: shown in full under the list
            continue;
        for (int row = 0; row < SheetDriver::RowCount(list); ++row) {
            const std::wstring text = Cell(list, row, column);
            if (StringWidth(list, text) + kCellPadding > width)
                cut.push_back(text + L" (" + place + L")");
        }
    }
    RECT client = {};
    GetClientRect(list, &client);
    if (right > client.right)
        cut.push_back(L"columns " + std::to_wstring(right) + L" px wide in a list of " +
                      std::to_wstring(client.right) + L" px (" + place + L")");
    if (GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL)
        cut.push_back(L"a horizontal scroll bar (" + place + L")");
    return cut;
}

class TextFitTest : public ManagerTest {
protected:
    TextFitTest() : m_folder(ScratchPath(L"text-fit")) {
        std::filesystem::remove_all(std::filesystem::path(m_folder));
        m_previous = SetHistoryFolder(m_folder);
    }
    ~TextFitTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_folder), ignored);
        SetHistoryFolder(m_previous);
    }

    std::wstring m_folder;
    std::wstring m_previous;
};

TEST_F(TextFitTest, NoWindowCutsItsTextAtTheSampleData) {
    // Run again at another scale, the process must have been started at it.
    if (const char* dpi = std::getenv("SW_TEXT_FIT_DPI")) {
        const HDC screen = GetDC(nullptr);
        const int shown = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(shown, std::atoi(dpi)) << "the screen is not at the DPI asked for";
    }
    StoreList(std::wstring(kSampleList) + kUntidyEntries);
    RecordSampleHistory();
    Rows cut, tidyLines;
    std::wstring selectedEntries, twoRunsEntries, fold;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const auto add = [&](const Rows& more) { cut.insert(cut.end(), more.begin(), more.end()); };
        add(CutTexts(sheet.ShowPage(0), "Options page"));

        const HWND blocked = sheet.ShowPage(1);
        SheetDriver::SetText(blocked, IDC_SEARCH, L"example.org");
        add(CutTexts(blocked, "Blocked Senders page, searched"));
        SheetDriver::PostClick(blocked, IDC_TIDY);
        if (const HWND tidy = sheet.WaitForWindow(L"Tidy the Blocked Senders List")) {
            add(CutTexts(tidy, "Tidy dialog"));
            fold = SheetDriver::ListBoxRows(GetDlgItem(tidy, IDC_TIDY_FOLD_LIST)).at(0);
            SheetDriver::Click(tidy, IDCANCEL);
            SheetDriver::WaitUntilGone(tidy);
        } else {
            cut.push_back(L"no Tidy dialog");
        }

        const HWND history = sheet.ShowPage(2);
        const HWND runs = GetDlgItem(history, IDC_HISTORY_LIST);
        add(CutTexts(history, "History page"));
        add(CutColumns(runs, "History page"));
        // A change of DPI: the columns, squeezed meanwhile, are fitted again.
        for (int column = 0; column < 4; ++column)
            ListView_SetColumnWidth(runs, column, 10);
        SendMessageW(history, kWmDpiChangedAfterParent, 0, 0);
        add(CutColumns(runs, "History page after a change of DPI"));
        // The Block Senders run of three entries.
        SheetDriver::SelectRows(runs, {3});
        selectedEntries = SheetDriver::Text(history, IDC_HISTORY_ENTRIES);
        // Every run not undone yet marked "(to undo)": the Command column
        // widens, Entries gives way, and nothing scrolls sideways.
        Unselect(runs);
        SheetDriver::SelectRows(runs, {0, 1, 2, 3, 4});
        SheetDriver::Click(history, IDC_UNBLOCK);
        add(CutColumns(runs, "History page after Unblock"));
        Unselect(runs);
        SheetDriver::SelectRows(runs, {1, 2});
        twoRunsEntries = SheetDriver::Text(history, IDC_HISTORY_ENTRIES);
        sheet.PressCancel();
    });
    // Every setting of the Options page set by policy: each control's note shows.
    MachineRegistrySandbox machine;
    constexpr wchar_t kPolicy[] = L"Software\\Policies\\Tallpine\\Spamwarden";
    const DWORD on = 1;
    for (const wchar_t* value : {kHasSafeDomainsValue, kMoveEarlierValue, kMoveNewMailValue})
        MachineRegistrySandbox::SetValue(kPolicy, value, REG_DWORD, &on, sizeof on);
    MachineRegistrySandbox::SetText(kPolicy, kSafeDomainsValue, L"@corp.example");
    RunOptionsSheet([&](SheetDriver& sheet) {
        const Rows more = CutTexts(sheet.ShowPage(0), "Options page set by policy");
        cut.insert(cut.end(), more.begin(), more.end());
        sheet.PressCancel();
    });
    EXPECT_THAT(cut, IsEmpty());
    EXPECT_EQ(selectedEntries,
              L"deals@bargain-outlet.example, offers@cheap-meds.test, alerts@bank-secure.invalid");
    EXPECT_EQ(twoRunsEntries, L"prince@inheritance.example\r\n@partner-firm.example");
    EXPECT_EQ(fold.rfind(L"@stock-alerts.example replaces 4 addresses: ", 0), 0u) << fold.c_str();
}

// The screen's scale of the Wine prefix, which a process reads when it
// starts: set for the scope's lifetime, then put back as it was.
class PrefixLogPixels {
public:
    explicit PrefixLogPixels(DWORD dpi) {
        DWORD value = 0, size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                         &value, &size) == ERROR_SUCCESS)
            m_previous = value;
        m_set = RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &dpi,
                                sizeof dpi) == ERROR_SUCCESS;
    }
    ~PrefixLogPixels() {
        if (m_previous)
            RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &*m_previous,
                            sizeof *m_previous);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels");
    }
    PrefixLogPixels(const PrefixLogPixels&) = delete;
    PrefixLogPixels& operator=(const PrefixLogPixels&) = delete;

    explicit operator bool() const noexcept { return m_set; }

private:
    static constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";
    std::optional<DWORD> m_previous;
    bool m_set = false;
};

// Runs this program's text-fit test in a process started at `dpi`; answers
// its exit code, or -1 when it could not be started.
int RunTextFitAt(DWORD dpi) {
    const PrefixLogPixels scale(dpi);
    if (!scale)
        return -1;
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(program) +
                           L"\" --gtest_brief=1 "
                           L"--gtest_filter=TextFitTest.NoWindowCutsItsTextAtTheSampleData";
    SetEnvironmentVariableW(L"SW_TEXT_FIT_DPI", std::to_wstring(dpi).c_str());
    // Its report goes where this program's goes.
    std::fflush(stdout);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(program, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableW(L"SW_TEXT_FIT_DPI", nullptr);
    if (!started)
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

TEST(TextFitAtHighDpi, NoWindowCutsItsTextAt144And192Dpi) {
    if (std::getenv("SW_TEXT_FIT_DPI"))
        GTEST_SKIP() << "already a run at another scale";
    for (const DWORD dpi : {144u, 192u})
        EXPECT_EQ(RunTextFitAt(dpi), 0) << "the text-fit test failed at " << dpi << " DPI";
}

} // namespace
} // namespace sw::test
