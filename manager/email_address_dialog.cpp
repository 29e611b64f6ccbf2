#include "manager/email_address_dialog.h"

#include "manager/dialog_procedure.h"
#include "manager/resource.h"
#include "manager/window_text.h"
#include "platform/module.h"

namespace sw {

INT_PTR CEmailAddressDialog::DoModal(HWND parent) {
    const INT_PTR result =
        DialogBoxParamW(AddinModule(), MAKEINTRESOURCEW(IDD_EMAIL_ADDRESS), parent,
                        &DialogProcedure<CEmailAddressDialog>, reinterpret_cast<LPARAM>(this));
    return result == IDOK ? IDOK : IDCANCEL;
}

INT_PTR CEmailAddressDialog::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        if (!m_caption.empty())
            SetWindowTextW(window, m_caption.c_str());
        if (!m_label.empty())
            SetDlgItemTextW(window, IDC_EMAIL_ADDRESS_LABEL, m_label.c_str());
        SetDlgItemTextW(window, IDC_EMAIL_ADDRESS, m_text.c_str());
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            m_text = WindowText(GetDlgItem(window, IDC_EMAIL_ADDRESS));
            EndDialog(window, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(window, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace sw
