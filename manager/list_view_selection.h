// The selected rows of a list view, for the pages' buttons.
#pragma once

#include <windows.h>

#include <vector>

namespace sw {

// The selected rows in ascending order.
std::vector<int> SelectedListViewRows(HWND listView);

// Selects and focuses `row` alone, or the last row where there are fewer,
// and scrolls it into view: after a removal, the row that took the first
// removed one's place, so that the keyboard goes on from there. Nothing
// when the list is empty.
void SelectRowInPlace(HWND listView, int row);

} // namespace sw
