// The Blocked Senders page of the Options sheet (dialog 206): a virtual list
// of the profile's Blocked Senders entries with search, Remove, Edit and
// Convert to Domain, written back through the profile store on OK.
#pragma once

#include "manager/blocked_senders_list.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace sw {

class CBlockedSendersPage {
public:
    PROPSHEETPAGEW PageDescription();

    static CBlockedSendersPage* FromInitParam(LPARAM lParam) noexcept {
        return reinterpret_cast<CBlockedSendersPage*>(
            reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    }
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnInitDialog();
    void OnSearchChanged();
    void OnRemove();
    void OnEdit();
    void OnConvertToDomain();
    void OnGetDispInfo(NMLVDISPINFOW& request) const;
    int OnFindItem(const NMLVFINDITEMW& request) const;
    void OnApply();

    std::vector<int> SelectedRows() const;
    // Gives the list view the new row count after the shown list changed.
    void ShowRows();

    HWND m_window = nullptr;
    HWND m_listView = nullptr;
    BlockedSendersList m_list;
    std::wstring m_total;
    bool m_initialized = false;
    // A list that could not be read must never be written back: the empty
    // copy would replace the stored list.
    bool m_readFailed = false;
};

} // namespace sw
