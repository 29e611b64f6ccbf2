#include "manager/options_sheet.h"

#include "manager/common_controls.h"
#include "platform/module.h"

namespace sw {

void COptionsSheet::DoModal(HWND owner, const CommonControls& controls) {
    PROPSHEETPAGEW pages[] = {m_optionsPage.PageDescription(),
                              m_blockedSendersPage.PageDescription()};

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
    m_blockedSendersPage.StartPreload();
    controls.PropertySheet(header);
}

} // namespace sw
