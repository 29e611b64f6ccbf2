// The dialog procedure behind every window class of the Options sheet. The
// object comes with WM_INITDIALOG and is kept in DWLP_USER; nothing thrown
// while handling a message leaves the procedure.
#pragma once

#include "platform/diagnostics.h"

#include <windows.h>

namespace sw {

// T provides:
//   static T* FromInitParam(LPARAM lParam) noexcept;
//   INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
template <class T>
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    T* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = T::FromInitParam(lParam);
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<T*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!self)
        return FALSE;
    try {
        return self->HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        // The operation is abandoned; the window stays usable.
        SW_LOG_CAUGHT();
        return FALSE;
    }
}

// Sets the result of a message that a dialog procedure handles (WM_NOTIFY).
inline INT_PTR DialogResult(HWND window, LONG_PTR result) noexcept {
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace sw
