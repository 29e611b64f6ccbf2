// The Options page of the Options sheet (dialog 216): the add-in's settings.
// Its check boxes are bound to g_synLists, g_hasSafeDomains, g_moveEarlier
// and g_moveNewMail; the safe-domain list lives in the sorted list box until OK
// stores it. A setting an administrator set by policy shows disabled, with
// "Set by your administrator.", and OK leaves the user's own value alone.
#pragma once

#include "manager/property_page.h"
#include "manager/resource.h"

#include <windows.h>
#include <prsht.h>

namespace sw {

class COptionsPage : public PropertyPage<COptionsPage, IDD_OPTIONS> {
public:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnInitDialog();
    void OnAdd();
    void OnRemove();
    void OnApply();

    // The exchange between the check boxes and the in-memory flags.
    void ShowFlags();
    // Disables what policy sets and says so.
    void ShowPolicies();
    void StoreFlags();

    HWND m_window = nullptr;
};

} // namespace sw
