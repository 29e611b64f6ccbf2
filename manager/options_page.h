// The Options page of the Options sheet (dialog 216): the add-in's settings.
// Its check boxes are bound to g_synLists and g_hasSafeDomains; the
// safe-domain list lives in the sorted list box until OK stores it.
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
    void StoreFlags();

    HWND m_window = nullptr;
};

} // namespace sw
