// The base of the Options sheet's pages: what the property sheet needs to
// create page T from dialog template `templateId`, and the way back from the
// page's WM_INITDIALOG to the object (see dialog_procedure.h).
#pragma once

#include "manager/dialog_procedure.h"
#include "platform/module.h"

#include <windows.h>
#include <prsht.h>

namespace sw {

template <class T, WORD templateId> class PropertyPage {
public:
    // The page as PropertySheetW takes it; the object must outlive the sheet.
    PROPSHEETPAGEW PageDescription() noexcept {
        PROPSHEETPAGEW page = {};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = AddinModule();
        page.pszTemplate = MAKEINTRESOURCEW(templateId);
        page.pfnDlgProc = &DialogProcedure<T>;
        page.lParam = reinterpret_cast<LPARAM>(static_cast<T*>(this));
        return page;
    }

    // WM_INITDIALOG of a page brings the PROPSHEETPAGEW it was created from.
    static T* FromInitParam(LPARAM lParam) noexcept {
        return reinterpret_cast<T*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    }
};

} // namespace sw
