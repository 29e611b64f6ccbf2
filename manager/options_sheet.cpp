#include "manager/options_sheet.h"

#include "manager/common_controls.h"
#include "manager/history_commit.h"
#include "platform/dpi.h"
#include "platform/module.h"

namespace sw {

void COptionsSheet::DoModal(HWND owner, const CommonControls& controls) {
    PROPSHEETPAGEW pages[] = {m_optionsPage.PageDescription(),
                              m_blockedSendersPage.PageDescription(),
                              m_historyPage.PageDescription()};

    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    // No page ever reports a change, so there is no Apply button to enable.
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = AddinModule();
    header.pszCaption = L"Options";
    header.nPages = ARRAYSIZE(pages);
    header.nStartPage = 0;
    header.ppsp = pages;
    m_working.StartPreload();
    m_historyPage.StartPreload();
    {
        // The sheet's windows are per-monitor aware; the host's context is
        // back before the History page's runs are restored through the host.
        ThreadDpiAwareness awareness;
        controls.PropertySheet(header);
    }

    // OK on a page that edits the list: the list first, then what the
    // History page chose, which only makes sense once the list is written
    // (a failed write has been told by the store, and undoes nothing more).
    if (m_working.Accepted() && m_working.Save())
        CommitHistoryEdits(m_historyPage.Edits(), m_restorer);
}

} // namespace sw
