#include "manager/list_view_keys.h"

#include "platform/diagnostics.h"

namespace sw {
namespace {

// The list view's own window procedure, kept with the window while ours
// stands in front of it. (comctl32's SetWindowSubclass would need the
// version-6 library bound by name; the classic way needs nothing.)
constexpr wchar_t kPreviousProcedure[] = L"Spamwarden.ListViewKeys";

LRESULT CALLBACK ListViewKeysProc(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kPreviousProcedure));
    if (!previous)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_GETDLGCODE: {
        const LRESULT code = CallWindowProcW(previous, window, message, wParam, lParam);
        const auto* pending = reinterpret_cast<const MSG*>(lParam);
        if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN)
            return code | DLGC_WANTMESSAGE;
        return code;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(window, kPreviousProcedure);
        break;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

} // namespace

void KeepEnterInListView(HWND listView) noexcept {
    if (!listView || GetPropW(listView, kPreviousProcedure))
        return;
    const LONG_PTR previous = GetWindowLongPtrW(listView, GWLP_WNDPROC);
    if (!previous || !SetPropW(listView, kPreviousProcedure, reinterpret_cast<HANDLE>(previous))) {
        SW_LOG_IF_WIN32_ERROR(GetLastError());
        return;
    }
    SetWindowLongPtrW(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListViewKeysProc));
}

bool SelectAllOnCtrlA(HWND listView, const NMLVKEYDOWN& key) noexcept {
    if (key.wVKey != 'A' || (GetKeyState(VK_CONTROL) & 0x8000) == 0)
        return false;
    ListView_SetItemState(listView, -1, LVIS_SELECTED, LVIS_SELECTED);
    return true;
}

} // namespace sw
