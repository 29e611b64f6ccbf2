#include "manager/options_command.h"

#include "manager/common_controls.h"
#include "manager/options_sheet.h"
#include "platform/diagnostics.h"

namespace sw {

void ShowOptionsSheet(HWND owner, MessageRestorer* restorer) noexcept {
    try {
        CommonControls controls;
        if (!controls)
            return;
        COptionsSheet sheet(restorer);
        sheet.DoModal(owner ? owner : GetActiveWindow(), controls);
    } catch (...) {
        // Nothing may reach the host; the sheet is gone either way.
        SW_LOG_CAUGHT();
    }
}

} // namespace sw
