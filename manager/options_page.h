// The Options page of the Options sheet (dialog 216): the add-in's settings.
// It edits the sheet's copy of them: the check boxes are copied into it
// whenever the page is left, the safe-domain list lives in the sorted list
// box until OK; on OK the copy is stored and put in force. A setting an
// administrator set by policy shows disabled, with "Set by your
// administrator.", and OK leaves the user's own value alone.
#pragma once

#include "manager/property_page.h"
#include "manager/resource.h"
#include "store/settings.h"

#include <windows.h>
#include <prsht.h>

namespace sw {

class COptionsPage : public PropertyPage<COptionsPage, IDD_OPTIONS> {
public:
    // `settings` is the sheet's copy, which the Blocked Senders page reads too.
    explicit COptionsPage(Settings& settings) noexcept : m_settings(settings) {}

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnInitDialog();
    void OnAdd();
    void OnRemove();
    void OnApply();

    // The exchange between the check boxes and the copy's flags.
    void ShowFlags();
    // Disables what policy sets and says so.
    void ShowPolicies();
    void StoreFlags();

    Settings& m_settings;
    HWND m_window = nullptr;
};

} // namespace sw
