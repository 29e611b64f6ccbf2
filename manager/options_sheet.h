// The modal "Options" property sheet: the Options page, the Blocked Senders
// page and the History page; OK and Cancel, no Apply. The sheet owns the
// working Blocked Senders list that the last two edit, and writes it after
// OK, and the copy of the settings that the Options page edits.
#pragma once

#include "manager/blocked_senders_page.h"
#include "manager/history_page.h"
#include "manager/options_page.h"
#include "manager/working_list.h"
#include "store/settings.h"
#include "store/state.h"

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
    // The list of the profile the host has now.
    WorkingList m_working{g_host.Profile()};
    // The settings the pages edit and read; in force only after OK.
    Settings m_settings = g_settings;
    COptionsPage m_optionsPage{m_settings};
    CBlockedSendersPage m_blockedSendersPage{m_working, m_settings};
    CHistoryPage m_historyPage;
};

} // namespace sw
