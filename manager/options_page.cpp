#include "manager/options_page.h"

#include "manager/dialog_procedure.h"
#include "manager/email_address_dialog.h"
#include "manager/resource.h"
#include "manager/safe_domains.h"
#include "manager/window_text.h"
#include "platform/module.h"
#include "platform/user_message.h"
#include "store/settings.h"

#include <initializer_list>

namespace sw {

INT_PTR COptionsPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        m_window = window;
        OnInitDialog();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ADD:
            OnAdd();
            return TRUE;
        case IDC_REMOVE:
            OnRemove();
            return TRUE;
        }
        break;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            ShowFlags();
            return DialogResult(window, 0);
        case PSN_KILLACTIVE:
            StoreFlags();
            return DialogResult(window, FALSE);
        case PSN_APPLY:
            OnApply();
            return DialogResult(window, PSNRET_NOERROR);
        }
        break;
    }
    return FALSE;
}

void COptionsPage::OnInitDialog() {
    // Each read falls back on the value in memory.
    LoadSettings();

    ShowFlags();
    ShowPolicies();
    const HWND listBox = GetDlgItem(m_window, IDC_SAFE_DOMAINS);
    for (const std::wstring& row : SafeDomainRows(g_safeDomains))
        SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
}

void COptionsPage::ShowPolicies() {
    const auto show = [this](bool set, std::initializer_list<int> controls, int label) {
        for (int control : controls)
            EnableWindow(GetDlgItem(m_window, control), !set);
        ShowWindow(GetDlgItem(m_window, label), set ? SW_SHOWNA : SW_HIDE);
    };
    show(g_policySet.hasSafeDomains, {IDC_HAS_SAFE_DOMAINS}, IDC_HAS_SAFE_DOMAINS_POLICY);
    show(g_policySet.safeDomains, {IDC_SAFE_DOMAINS, IDC_ADD, IDC_REMOVE}, IDC_SAFE_DOMAINS_POLICY);
    show(g_policySet.moveEarlier, {IDC_MOVE_EARLIER}, IDC_MOVE_EARLIER_POLICY);
    show(g_policySet.moveNewMail, {IDC_MOVE_NEW_MAIL}, IDC_MOVE_NEW_MAIL_POLICY);
}

void COptionsPage::OnAdd() {
    CEmailAddressDialog dialog;
    dialog.m_caption = L"Domain";
    dialog.m_label = L"&Domain, with its @:";
    if (dialog.DoModal(GetParent(m_window)) != IDOK)
        return;
    const HWND listBox = GetDlgItem(m_window, IDC_SAFE_DOMAINS);
    if (!HasRowStartingWith(ListBoxRows(listBox), dialog.m_text))
        SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(dialog.m_text.c_str()));
}

void COptionsPage::OnRemove() {
    const HWND listBox = GetDlgItem(m_window, IDC_SAFE_DOMAINS);
    const LRESULT selected = SendMessageW(listBox, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        ShowUserMessage(L"Please select a domain first.", MessageIcon::Information);
        return;
    }
    SendMessageW(listBox, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    SendMessageW(listBox, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void COptionsPage::OnApply() {
    StoreFlags();
    // Failures go unreported (each is in the diagnostics log): the settings
    // keep their values in memory. What
    // policy sets is not the user's to store.
    static_cast<void>(
        WriteSettingDword(kSettingsSection, kSynListsValue, static_cast<DWORD>(g_synLists)));
    if (!g_policySet.hasSafeDomains)
        static_cast<void>(WriteSettingDword(kSettingsSection, kHasSafeDomainsValue,
                                            static_cast<DWORD>(g_hasSafeDomains)));
    if (!g_policySet.safeDomains) {
        g_safeDomains = BuildSafeDomains(ListBoxRows(GetDlgItem(m_window, IDC_SAFE_DOMAINS)));
        static_cast<void>(WriteSettingText(kSettingsSection, kSafeDomainsValue, g_safeDomains));
    }
    if (!g_policySet.moveEarlier)
        static_cast<void>(WriteSettingDword(kSettingsSection, kMoveEarlierValue,
                                            static_cast<DWORD>(g_moveEarlier)));
    if (!g_policySet.moveNewMail)
        static_cast<void>(WriteSettingDword(kSettingsSection, kMoveNewMailValue,
                                            static_cast<DWORD>(g_moveNewMail)));
}

void COptionsPage::ShowFlags() {
    CheckDlgButton(m_window, IDC_SYN_LISTS, g_synLists ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_window, IDC_HAS_SAFE_DOMAINS, g_hasSafeDomains ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_window, IDC_MOVE_EARLIER, g_moveEarlier ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_window, IDC_MOVE_NEW_MAIL, g_moveNewMail ? BST_CHECKED : BST_UNCHECKED);
}

void COptionsPage::StoreFlags() {
    g_synLists = IsDlgButtonChecked(m_window, IDC_SYN_LISTS) == BST_CHECKED ? 1 : 0;
    g_hasSafeDomains = IsDlgButtonChecked(m_window, IDC_HAS_SAFE_DOMAINS) == BST_CHECKED ? 1 : 0;
    g_moveEarlier = IsDlgButtonChecked(m_window, IDC_MOVE_EARLIER) == BST_CHECKED ? 1 : 0;
    g_moveNewMail = IsDlgButtonChecked(m_window, IDC_MOVE_NEW_MAIL) == BST_CHECKED ? 1 : 0;
}

} // namespace sw
