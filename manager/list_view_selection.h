// The selected rows of a list view, for the pages' buttons.
#pragma once

#include <windows.h>

#include <vector>

namespace sw {

// The selected rows in ascending order.
std::vector<int> SelectedListViewRows(HWND listView);

} // namespace sw
