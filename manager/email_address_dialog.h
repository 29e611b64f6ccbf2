// The one-field "Email Address" dialog: edit an entry on the Blocked Senders
// page, type a new safe domain on the Options page (where it is called
// "Domain", so that a screen reader says what to type). Validates nothing.
#pragma once

#include <windows.h>

#include <string>

namespace sw {

class CEmailAddressDialog {
public:
    // Shown in the field when the dialog opens; replaced by the field's text
    // on OK, left alone on Cancel.
    std::wstring m_text;
    // The dialog's title and the field's label, when not "Email Address".
    std::wstring m_caption;
    std::wstring m_label;

    // Runs the dialog modally over `parent`: IDOK or IDCANCEL (also when the
    // dialog could not be created).
    INT_PTR DoModal(HWND parent);

    static CEmailAddressDialog* FromInitParam(LPARAM lParam) noexcept {
        return reinterpret_cast<CEmailAddressDialog*>(lParam);
    }
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace sw
