// Finds the default MAPI profile through MAPI profile administration.
#include "platform/ansi_text.h"
#include "platform/com_ptr.h"
#include "platform/diagnostics.h"
#include "platform/unique_handle.h"
#include "store/profile_store.h"

#include <windows.h>
#include <mapix.h>
#include <mapitags.h>

#include <memory>

namespace sw {
namespace {

using FreeProwsFn = void(WINAPI*)(LPSRowSet);

// Row sets come from MAPI's allocator and go back through MAPI32's FreeProws.
class RowSetHolder {
public:
    explicit RowSetHolder(HMODULE mapi) noexcept
        : m_free(reinterpret_cast<FreeProwsFn>(
              reinterpret_cast<void*>(GetProcAddress(mapi, "FreeProws")))) {
        if (!m_free)
            m_free = reinterpret_cast<FreeProwsFn>(
                reinterpret_cast<void*>(GetProcAddress(mapi, "FreeProws@4")));
    }
    RowSetHolder(const RowSetHolder&) = delete;
    RowSetHolder& operator=(const RowSetHolder&) = delete;
    ~RowSetHolder() {
        if (m_rows && m_free)
            m_free(m_rows);
    }
    LPSRowSet* put() noexcept { return &m_rows; }
    LPSRowSet get() const noexcept { return m_rows; }

private:
    FreeProwsFn m_free = nullptr;
    LPSRowSet m_rows = nullptr;
};

} // namespace

std::wstring DefaultProfileName() {
    // Only the system's MAPI32, never one planted in the current or host folder.
    unique_module mapi(LoadLibraryExW(L"mapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!mapi && GetLastError() == ERROR_INVALID_PARAMETER) {
        // Windows 7 without the safe-search update knows no search flags: name
        // the system folder's file instead.
        wchar_t path[MAX_PATH];
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        if (length > 0 && length < MAX_PATH - 12) {
            wcscat(path, L"\\mapi32.dll");
            mapi.reset(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        }
    }
    if (!mapi)
        return {};
    auto adminProfiles = reinterpret_cast<LPMAPIADMINPROFILES>(
        reinterpret_cast<void*>(GetProcAddress(mapi.get(), MAKEINTRESOURCEA(19))));
    if (!adminProfiles)
        return {};

    // Declared after the module so that every object is released before it unloads.
    com_ptr<IProfAdmin> admin;
    if (FAILED(adminProfiles(0, admin.put())) || !admin)
        return {};
    com_ptr<IMAPITable> table;
    if (FAILED(admin->GetProfileTable(0, table.put())) || !table)
        return {};

    SPropValue isDefault = {};
    isDefault.ulPropTag = PR_DEFAULT_PROFILE;
    isDefault.Value.b = TRUE;
    SRestriction restriction = {};
    restriction.rt = RES_PROPERTY;
    restriction.res.resProperty.relop = RELOP_EQ;
    restriction.res.resProperty.ulPropTag = PR_DEFAULT_PROFILE;
    restriction.res.resProperty.lpProp = &isDefault;

    // Unrestricted, the table's first row could be another profile's.
    if (FAILED(SW_LOG_IF_FAILED(table->Restrict(&restriction, TBL_BATCH))))
        return {};
    // Restrict has put the cursor on the first default row already; without
    // one, FindRow answers MAPI_E_NOT_FOUND and the query reads no row.
    static_cast<void>(table->FindRow(&restriction, BOOKMARK_BEGINNING, 0));
    RowSetHolder rows(mapi.get());
    if (FAILED(table->QueryRows(1, 0, rows.put())) || !rows.get() || rows.get()->cRows == 0)
        return {};

    const SRow& row = rows.get()->aRow[0];
    if (row.cValues > 0 && row.lpProps && PROP_TYPE(row.lpProps[0].ulPropTag) == PT_STRING8)
        return WidenAnsi(row.lpProps[0].Value.lpszA);
    return {};
}

} // namespace sw
