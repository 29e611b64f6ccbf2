// The modal "Options" property sheet: the Options page, the Blocked Senders
// page and the History page; OK and Cancel, no Apply. The sheet owns the
// working Blocked Senders list that the last two edit, and writes it after OK.
#pragma once

#include "manager/blocked_senders_page.h"
#include "manager/history_page.h"
#include "manager/options_page.h"
#include "manager/working_list.h"

#include <windows.h>

namespace sw {

class CommonControls;
class MessageRestorer;

class COptionsSheet {
public:
    // `restorer` moves messages back for "Unblock and Restore"; without one
    // that button is disabled.
    explicit COptionsSheet(MessageRestorer* restorer = nullptr) noexcept
        : m_restorer(restorer), m_historyPage(m_working, restorer != nullptr) {}

    // Runs the sheet modally over `owner` (none: a top-level sheet) and
    // returns when it has closed and, after OK, its edits are saved.
    void DoModal(HWND owner, const CommonControls& controls);

private:
    MessageRestorer* m_restorer;
    WorkingList m_working;
    COptionsPage m_optionsPage;
    CBlockedSendersPage m_blockedSendersPage{m_working};
    CHistoryPage m_historyPage;
};

} // namespace sw
