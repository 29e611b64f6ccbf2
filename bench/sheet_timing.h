// Times the real Options sheet: opening its Blocked Senders page and typing
// into its search box, driven from a second thread while this one runs the
// sheet's modal loop. Needs a display.
#pragma once

#include <string>
#include <vector>

namespace sw::bench {

struct SheetTimes {
    bool shown = false;           // false: no sheet appeared (no display)
    double openMs = 0;            // selecting the page until it is painted
    int rows = 0;                 // rows after opening
    std::vector<double> searchMs; // each search text typed, until painted
    std::vector<int> searchRows;  // rows after each search
    double repaintMs = 0;         // repainting the list view alone, all rows shown
    double dpiChangeMs = 0;       // the page laid out again for a new DPI, until painted
};

// Opens the sheet once, selects the Blocked Senders page, types each of
// `searches` in turn, tells the page its DPI changed, and cancels.
SheetTimes TimeOptionsSheet(const std::vector<std::wstring>& searches);

} // namespace sw::bench
