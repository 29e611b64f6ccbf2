// The History page of the Options sheet (dialog 250): the recorded blocking
// runs, newest first, the selected runs' entries in full in a box under the
// list, and "Unblock" and "Unblock and Restore", which edit the sheet's
// working list at once and mark the runs to be undone at OK.
#pragma once

#include "manager/property_page.h"
#include "manager/resource.h"
#include "manager/history_edits.h"
#include "manager/working_list.h"

#include <windows.h>
#include <commctrl.h>

#include <future>
#include <string>
#include <vector>

namespace sw {

class CHistoryPage : public PropertyPage<CHistoryPage, IDD_HISTORY> {
public:
    // Without `canRestore` (nothing to move messages back with) only
    // "Unblock" is offered.
    CHistoryPage(WorkingList& working, bool canRestore) noexcept
        : m_working(working), m_canRestore(canRestore) {}

    // Starts reading the history while the sheet shows its first page.
    void StartPreload() noexcept;
    // What the user chose; empty unless the page was shown.
    const HistoryEdits& Edits() const noexcept { return m_edits; }

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnInitDialog();
    void OnUnblock(bool restore);
    void OnGetDispInfo(NMLVDISPINFOW& request) const;
    // Unblock and Unblock and Restore from the list's context menu.
    void OnContextMenu(LPARAM position);
    // Sizes the columns to the rows' texts (again after a change of DPI).
    void SizeColumns();
    // Shows the selected runs' entries under the list and enables each
    // button when the selection gives it something to do.
    void ShowSelection();
    std::vector<HistoryAction> TakeHistory() noexcept;

    WorkingList& m_working;
    bool m_canRestore;
    HWND m_window = nullptr;
    HWND m_listView = nullptr;
    HistoryEdits m_edits;
    std::wstring m_shownEntries;
    std::future<std::vector<HistoryAction>> m_preload;
    bool m_initialized = false;
};

} // namespace sw
