#include "tests/manager/sheet_driver.h"

#include "manager/options_command.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <thread>

namespace sw::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(20);

struct WindowSearch {
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    wchar_t title[128] = {};
    GetWindowTextW(window, title, ARRAYSIZE(title));
    if (IsWindowVisible(window) && lstrcmpW(title, search.title) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForThreadWindow(DWORD thread, const wchar_t* title) {
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
        WindowSearch search{title, nullptr};
        EnumThreadWindows(thread, &MatchTitle, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(10);
    }
    return nullptr;
}

bool WaitForWindowGone(HWND window) {
    const auto deadline = Clock::now() + kPatience;
    while (IsWindow(window)) {
        if (Clock::now() >= deadline)
            return false;
        Sleep(10);
    }
    return true;
}

} // namespace

HWND SheetDriver::ShowPage(int index) const {
    SendMessageW(m_sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return PageWindow(index);
}

HWND SheetDriver::PageWindow(int index) const {
    return reinterpret_cast<HWND>(SendMessageW(m_sheet, PSM_INDEXTOHWND, index, 0));
}

std::wstring SheetDriver::Text(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, ARRAYSIZE(text));
    return text;
}

void SheetDriver::SetText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SheetDriver::Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void SheetDriver::PostClick(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool SheetDriver::IsChecked(HWND dialog, int id) {
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int SheetDriver::RowCount(HWND listView) {
    return static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring SheetDriver::RowText(HWND listView, int row) {
    wchar_t text[512] = {};
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = ARRAYSIZE(text);
    SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::wstring> SheetDriver::Rows(HWND listView) {
    std::vector<std::wstring> rows;
    const int count = RowCount(listView);
    for (int row = 0; row < count; ++row)
        rows.push_back(RowText(listView, row));
    return rows;
}

void SheetDriver::PostKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

HWND SheetDriver::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(m_uiThread, &info) ? info.hwndFocus : nullptr;
}

bool SheetDriver::WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 100; ++i) {
        if (condition())
            return true;
        Sleep(20);
    }
    return condition();
}

void SheetDriver::SelectRows(HWND listView, std::initializer_list<int> rows) {
    for (int row : rows) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
    }
}

std::vector<std::wstring> SheetDriver::ListBoxRows(HWND listBox) {
    std::vector<std::wstring> rows;
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.emplace_back(text);
    }
    return rows;
}

void SheetDriver::SelectListBoxRow(HWND listBox, int row) {
    SendMessageW(listBox, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

HWND SheetDriver::FindThreadWindow(const wchar_t* title) const {
    WindowSearch search{title, nullptr};
    EnumThreadWindows(m_uiThread, &MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND SheetDriver::WaitForWindow(const wchar_t* title) const {
    return WaitForThreadWindow(m_uiThread, title);
}

bool SheetDriver::WaitUntilGone(HWND window) {
    return WaitForWindowGone(window);
}

std::wstring SheetDriver::AnswerEmailDialog(const std::wstring* text, const wchar_t* title) const {
    const HWND dialog = WaitForThreadWindow(m_uiThread, title);
    if (!dialog)
        return {};
    const std::wstring opened = Text(dialog, 207);
    if (text) {
        SetText(dialog, 207, *text);
        Click(dialog, IDOK);
    } else {
        Click(dialog, IDCANCEL);
    }
    WaitForWindowGone(dialog);
    return opened;
}

void SheetDriver::Press(int button) {
    m_pressed = true;
    PostMessageW(m_sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
}

void RunOptionsSheet(const std::function<void(SheetDriver&)>& script, MessageRestorer* restorer) {
    const DWORD uiThread = GetCurrentThreadId();
    std::thread driver([&script, uiThread] {
        const HWND sheet = WaitForThreadWindow(uiThread, L"Options");
        if (!sheet) {
            ADD_FAILURE() << "the Options sheet did not appear";
            return;
        }
        SheetDriver driver(sheet, uiThread);
        try {
            script(driver);
        } catch (...) {
            ADD_FAILURE() << "the sheet script threw";
        }
        // Whatever the script left open is cancelled, inner dialogs first.
        for (int attempt = 0; attempt < 3 && IsWindow(sheet); ++attempt) {
            for (const wchar_t* title :
                 {L"Email Address", L"Domain", L"Tidy the Blocked Senders List"}) {
                if (HWND dialog = driver.FindThreadWindow(title)) {
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                    WaitForWindowGone(dialog);
                }
            }
            if (!driver.pressed() || attempt > 0)
                driver.PressCancel();
            if (WaitForWindowGone(sheet))
                break;
        }
        if (IsWindow(sheet))
            ADD_FAILURE() << "the Options sheet did not close";
    });
    ShowOptionsSheet(nullptr, restorer);
    driver.join();
}

} // namespace sw::test
