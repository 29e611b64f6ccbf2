#include "bench/sheet_timing.h"

#include "bench/timing.h"
#include "manager/options_command.h"
#include "manager/resource.h"
#include "platform/dpi.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

namespace sw::bench {
namespace {

struct WindowSearch {
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, ARRAYSIZE(title));
    if (IsWindowVisible(window) && lstrcmpW(title, search.title) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// The sheet's window once it is shown; null when the sheet has already
// returned without showing (no display) or after 20 s.
HWND WaitForSheet(DWORD thread, const std::atomic<bool>& returned) {
    for (int attempt = 0; attempt < 2000 && !returned; ++attempt) {
        WindowSearch search{L"Options", nullptr};
        EnumThreadWindows(thread, &MatchTitle, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(10);
    }
    return nullptr;
}

// Paints whatever is pending in the sheet now, as the UI thread would when idle.
void PaintNow(HWND sheet) {
    RedrawWindow(sheet, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

} // namespace

SheetTimes TimeOptionsSheet(const std::vector<std::wstring>& searches) {
    SheetTimes times;
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> returned{false};
    std::thread driver([&] {
        const HWND sheet = WaitForSheet(uiThread, returned);
        if (!sheet)
            return;
        times.shown = true;
        PaintNow(sheet);

        Stopwatch open;
        SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
        PaintNow(sheet);
        times.openMs = open.Milliseconds();
        const HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, 1, 0));
        const HWND list = GetDlgItem(page, IDC_ENTRIES);
        times.rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));

        for (const std::wstring& search : searches) {
            Stopwatch keystroke;
            SendMessageW(GetDlgItem(page, IDC_SEARCH), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(search.c_str()));
            PaintNow(sheet);
            times.searchMs.push_back(keystroke.Milliseconds());
            times.searchRows.push_back(
                static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
        }
        // What the toolkit's drawing alone costs: the whole list, unchanged.
        SendMessageW(GetDlgItem(page, IDC_SEARCH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        PaintNow(sheet);
        Stopwatch repaint;
        InvalidateRect(list, nullptr, TRUE);
        PaintNow(sheet);
        times.repaintMs = repaint.Milliseconds();

        // What a move to a monitor of another DPI costs the page: Windows
        // rescales the dialog's layout itself and then sends each child
        // dialog this; the page sizes its column again.
        Stopwatch dpiChange;
        SendMessageW(page, kWmDpiChangedAfterParent, 0, 0);
        InvalidateRect(page, nullptr, TRUE);
        PaintNow(sheet);
        times.dpiChangeMs = dpiChange.Milliseconds();

        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    ShowOptionsSheet(nullptr);
    returned = true;
    driver.join();
    return times;
}

} // namespace sw::bench
