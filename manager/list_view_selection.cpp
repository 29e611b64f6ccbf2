#include "manager/list_view_selection.h"

#include <commctrl.h>

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

} // namespace sw
