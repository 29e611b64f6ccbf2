#include "manager/page_keys.h"

#include "platform/diagnostics.h"

namespace sw {
namespace {

// The control's own window procedure, kept with the window while ours
// stands in front of it, and what ours does with the keys. (comctl32's
// SetWindowSubclass would need the version-6 library bound by name; the
// classic way needs nothing.)
constexpr wchar_t kPreviousProcedure[] = L"Spamwarden.PageKeys";
constexpr wchar_t kKeys[] = L"Spamwarden.PageKeys.Keys";

enum KeyFlags : UINT_PTR {
    kWantEnter = 1,   // the dialog manager hands Enter to the control
    kNotifyEnter = 2, // Enter becomes the page's NM_RETURN, the control never sees it
    kLeaveTab = 4,    // the dialog manager moves the focus on Tab
};

bool IsKey(const MSG* pending, WPARAM key) noexcept {
    return pending && pending->message == WM_KEYDOWN && pending->wParam == key;
}

LRESULT CALLBACK PageKeysProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kPreviousProcedure));
    if (!previous)
        return DefWindowProcW(window, message, wParam, lParam);
    const auto keys = reinterpret_cast<UINT_PTR>(GetPropW(window, kKeys));
    switch (message) {
    case WM_GETDLGCODE: {
        const LRESULT code = CallWindowProcW(previous, window, message, wParam, lParam);
        const auto* pending = reinterpret_cast<const MSG*>(lParam);
        if ((keys & kWantEnter) && IsKey(pending, VK_RETURN))
            return code | DLGC_WANTMESSAGE;
        if ((keys & kLeaveTab) && IsKey(pending, VK_TAB))
            return code & ~static_cast<LRESULT>(DLGC_WANTMESSAGE | DLGC_WANTTAB);
        return code;
    }
    case WM_KEYDOWN:
        if ((keys & kNotifyEnter) && wParam == VK_RETURN) {
            NMHDR header = {};
            header.hwndFrom = window;
            header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
            header.code = NM_RETURN;
            SendMessageW(GetParent(window), WM_NOTIFY, header.idFrom,
                         reinterpret_cast<LPARAM>(&header));
            return 0;
        }
        break;
    case WM_CHAR:
        // The character Enter makes: an edit would beep at it.
        if ((keys & kNotifyEnter) && wParam == L'\r')
            return 0;
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(window, kPreviousProcedure);
        RemovePropW(window, kKeys);
        break;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

void SetPageKeys(HWND control, UINT_PTR keys) noexcept {
    if (!control || GetPropW(control, kPreviousProcedure))
        return;
    const LONG_PTR previous = GetWindowLongPtrW(control, GWLP_WNDPROC);
    if (!previous || !SetPropW(control, kKeys, reinterpret_cast<HANDLE>(keys)) ||
        !SetPropW(control, kPreviousProcedure, reinterpret_cast<HANDLE>(previous))) {
        SW_LOG_IF_WIN32_ERROR(GetLastError());
        RemovePropW(control, kKeys);
        return;
    }
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PageKeysProc));
}

} // namespace

void KeepEnterInListView(HWND listView) noexcept {
    SetPageKeys(listView, kWantEnter);
}

void KeepEnterInControl(HWND control) noexcept {
    SetPageKeys(control, kWantEnter | kNotifyEnter);
}

void KeepEnterAndLeaveTabInMultiLineEdit(HWND edit) noexcept {
    SetPageKeys(edit, kWantEnter | kNotifyEnter | kLeaveTab);
}

bool SelectAllOnCtrlA(HWND listView, const NMLVKEYDOWN& key) noexcept {
    if (key.wVKey != 'A' || (GetKeyState(VK_CONTROL) & 0x8000) == 0)
        return false;
    ListView_SetItemState(listView, -1, LVIS_SELECTED, LVIS_SELECTED);
    return true;
}

} // namespace sw
