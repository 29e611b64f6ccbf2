// The Options page of the Options sheet (dialog 216): the add-in's settings.
// Its check boxes are bound to g_synLists, g_hasSafeDomains, g_moveEarlier
// and g_moveNewMail; the safe-domain list lives in the sorted list box until OK
// stores it. A setting an administrator set by policy shows disabled, with
// "Set by your administrator.", and OK leaves the user's own value alone.
#pragma once

#include <windows.h>
#include <prsht.h>

namespace sw {

class COptionsPage {
public:
    PROPSHEETPAGEW PageDescription();

    static COptionsPage* FromInitParam(LPARAM lParam) noexcept {
        return reinterpret_cast<COptionsPage*>(
            reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    }
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
