// The Blocked Senders page of the Options sheet (dialog 206): a virtual list
// of the profile's Blocked Senders entries with search, Remove, Edit,
// Convert to Domain, Tidy, Import and Export, and a meter of how full the
// junk lists are. It edits the sheet's working list, which the sheet writes
// back through the profile store after OK.
#pragma once

#include "manager/property_page.h"
#include "manager/resource.h"
#include "manager/working_list.h"
#include "store/list_capacity.h"
#include "store/settings.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace sw {

// The capacity bar's colour past 90 % and past the limit, where the bar is
// not drawn by a visual style (which colours it by its state instead).
inline constexpr COLORREF kCapacityWarningColour = RGB(0xD8, 0x9A, 0x00);
inline constexpr COLORREF kCapacityOverColour = RGB(0xC4, 0x2B, 0x1C);

class CBlockedSendersPage : public PropertyPage<CBlockedSendersPage, IDD_BLOCKED_SENDERS> {
public:
    // Tidy's safe domains are those of `settings`, the sheet's copy.
    CBlockedSendersPage(WorkingList& working, const Settings& settings) noexcept
        : m_working(working), m_settings(settings) {}

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnInitDialog();
    void OnSearchChanged();
    void OnSearchEnter();
    void OnRemove();
    void OnEdit();
    void OnConvertToDomain();
    void OnTidy();
    void OnImport();
    void OnExport();
    // The page's commands for the selection, from the list's context menu.
    void OnContextMenu(LPARAM position);
    // The one column as wide as the list, also after a change of DPI.
    void SizeColumn();
    void OnGetDispInfo(NMLVDISPINFOW& request) const;
    int OnFindItem(const NMLVFINDITEMW& request) const;
    // Shows what another page changed in the list meanwhile.
    void OnSetActive();

    // Gives the list view the new row count after the shown list changed,
    // and says how many rows a search shows.
    void ShowRows();
    // Shows the capacity of the list as OK would store it; after an edit.
    void ShowCapacity();
    // ShowRows and ShowCapacity, and a note of the change for the other
    // pages: what every edit of the list needs.
    void ShowEdit();

    BlockedSendersList& List() noexcept { return m_working.List(); }
    const BlockedSendersList& List() const noexcept { return m_working.List(); }

    HWND m_window = nullptr;
    HWND m_listView = nullptr;
    WorkingList& m_working;
    const Settings& m_settings;
    // The working list's revision the page shows.
    unsigned m_shownRevision = 0;
    std::wstring m_total;
    // "Shown: 3" while a search is on.
    std::wstring m_shown;
    // What the meter shows, so that an unchanged capacity costs nothing.
    std::wstring m_capacityText;
    CapacityLevel m_capacityLevel = CapacityLevel::Normal;
    bool m_classicBar = false;
    bool m_initialized = false;
};

} // namespace sw
