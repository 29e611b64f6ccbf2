// The Options command of the ribbon and the toolbar.
#pragma once

#include <windows.h>

namespace sw {

// Builds the Options sheet, runs it modally and destroys it. Without an
// owner the sheet is modal to the window active when the command runs.
void ShowOptionsSheet(HWND owner = nullptr) noexcept;

} // namespace sw
