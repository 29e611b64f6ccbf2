#include "manager/list_view_selection.h"

#include <commctrl.h>

#include <algorithm>

namespace sw {

std::vector<int> SelectedListViewRows(HWND listView) {
    std::vector<int> rows;
    int row = -1;
    while ((row = ListView_GetNextItem(listView, row, LVNI_SELECTED)) >= 0) {
        if (!rows.empty() && row <= rows.back())
            break; // the list view wrapped round
        rows.push_back(row);
    }
    return rows;
}

void SelectRowInPlace(HWND listView, int row) {
    const int count = ListView_GetItemCount(listView);
    if (count <= 0)
        return;
    row = std::clamp(row, 0, count - 1);
    ListView_SetItemState(listView, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(listView, row, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(listView, row);
    ListView_EnsureVisible(listView, row, FALSE);
}

} // namespace sw
