#include "manager/options_page.h"

#include "manager/dialog_procedure.h"
#include "manager/email_address_dialog.h"
#include "manager/page_keys.h"
#include "manager/resource.h"
#include "manager/safe_domains.h"
#include "manager/window_text.h"
#include "platform/module.h"
#include "platform/user_message.h"
#include "store/settings.h"

#include <algorithm>
#include <initializer_list>

namespace sw {
namespace {

// Each flag's check box, and the label that tells when policy sets it.
struct FlagBox {
    bool Settings::*value;
    int checkBox;
    int policyLabel;
};
constexpr FlagBox kFlagBoxes[] = {
    {&Settings::synLists, IDC_SYN_LISTS, 0},
    {&Settings::hasSafeDomains, IDC_HAS_SAFE_DOMAINS, IDC_HAS_SAFE_DOMAINS_POLICY},
    {&Settings::moveEarlier, IDC_MOVE_EARLIER, IDC_MOVE_EARLIER_POLICY},
    {&Settings::moveNewMail, IDC_MOVE_NEW_MAIL, IDC_MOVE_NEW_MAIL_POLICY},
};

bool IsSetByPolicy(const Settings& settings, bool Settings::*value) noexcept {
    for (const FlagSetting& flag : kFlagSettings)
        if (flag.value == value)
            return IsSetByPolicy(settings, flag);
    return false;
}

} // namespace

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
    // Each read falls back on the value in memory; the page then edits a copy.
    LoadSettings();
    m_settings = g_settings;

    ShowFlags();
    ShowPolicies();
    const HWND listBox = GetDlgItem(m_window, IDC_SAFE_DOMAINS);
    // Enter in the list does nothing (its page does not answer NM_RETURN)
    // rather than press OK.
    KeepEnterInControl(listBox);
    for (const std::wstring& row : SafeDomainRows(m_settings.safeDomains))
        SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
}

void COptionsPage::ShowPolicies() {
    const auto show = [this](bool set, std::initializer_list<int> controls, int label) {
        for (int control : controls)
            EnableWindow(GetDlgItem(m_window, control), !set);
        ShowWindow(GetDlgItem(m_window, label), set ? SW_SHOWNA : SW_HIDE);
    };
    for (const FlagBox& box : kFlagBoxes)
        if (box.policyLabel)
            show(IsSetByPolicy(m_settings, box.value), {box.checkBox}, box.policyLabel);
    show(m_settings.policySet.safeDomains, {IDC_SAFE_DOMAINS, IDC_ADD, IDC_REMOVE},
         IDC_SAFE_DOMAINS_POLICY);
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
    // The row that took the removed one's place, or the last, is selected.
    const LRESULT left = SendMessageW(listBox, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    SendMessageW(
        listBox, LB_SETCURSEL,
        left > 0 ? static_cast<WPARAM>(std::min(selected, left - 1)) : static_cast<WPARAM>(-1), 0);
}

void COptionsPage::OnApply() {
    StoreFlags();
    if (!m_settings.policySet.safeDomains)
        m_settings.safeDomains =
            BuildSafeDomains(ListBoxRows(GetDlgItem(m_window, IDC_SAFE_DOMAINS)));
    // Failures go unreported (each is in the diagnostics log): the settings
    // keep their values in memory. What policy sets is not the user's to store.
    for (const FlagSetting& flag : kFlagSettings)
        if (!IsSetByPolicy(m_settings, flag))
            static_cast<void>(WriteSettingDword(kSettingsSection, flag.valueName,
                                                m_settings.*flag.value ? 1u : 0u));
    if (!m_settings.policySet.safeDomains)
        static_cast<void>(
            WriteSettingText(kSettingsSection, kSafeDomainsValue, m_settings.safeDomains));
    g_settings = m_settings;
}

void COptionsPage::ShowFlags() {
    for (const FlagBox& box : kFlagBoxes)
        CheckDlgButton(m_window, box.checkBox, m_settings.*box.value ? BST_CHECKED : BST_UNCHECKED);
}

void COptionsPage::StoreFlags() {
    for (const FlagBox& box : kFlagBoxes)
        m_settings.*box.value = IsDlgButtonChecked(m_window, box.checkBox) == BST_CHECKED;
}

} // namespace sw
