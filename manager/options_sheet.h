// The modal "Options" property sheet: the Options page, then the Blocked
// Senders page; OK and Cancel, no Apply.
#pragma once

#include "manager/blocked_senders_page.h"
#include "manager/options_page.h"

#include <windows.h>

namespace sw {

class CommonControls;

class COptionsSheet {
public:
    // Runs the sheet modally over `owner` (none: a top-level sheet) and
    // returns when it has closed.
    void DoModal(HWND owner, const CommonControls& controls);

private:
    COptionsPage m_optionsPage;
    CBlockedSendersPage m_blockedSendersPage;
};

} // namespace sw
