// The Options command of the ribbon and the toolbar.
#pragma once

#include "store/history.h"

#include <windows.h>

namespace sw {

// Builds the Options sheet, runs it modally and destroys it. Without an
// owner the sheet is modal to the window active when the command runs.
// `restorer` moves messages back for "Unblock and Restore" on the History
// page; without one, that button is disabled.
void ShowOptionsSheet(HWND owner = nullptr, MessageRestorer* restorer = nullptr) noexcept;

} // namespace sw
