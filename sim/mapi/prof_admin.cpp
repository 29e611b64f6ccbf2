#include "sim/mapi/prof_admin.h"

#include "sim/mapi/com_object.h"
#include "sim/mapi/counters.h"
#include "sim/mapi/profile_source.h"
#include "sim/mapi/profile_table.h"

#include <mapicode.h>
#include <mapiguid.h>

#include <new>

namespace sw::simmapi {
namespace {

class ProfAdmin final : public ComObject<IProfAdmin> {
public:
    ProfAdmin() : ComObject(IID_IProfAdmin) { InterlockedIncrement(&g_counters.profAdmins); }
    ~ProfAdmin() { InterlockedDecrement(&g_counters.profAdmins); }

    // The profiles as the registry holds them at this call. Flags 0 gives
    // 8-bit names (PR_DISPLAY_NAME_A), MAPI_UNICODE wide ones.
    STDMETHODIMP GetProfileTable(ULONG flags, LPMAPITABLE* table) override {
        if (!table)
            return MAPI_E_INVALID_PARAMETER;
        *table = nullptr;
        if (flags & ~MAPI_UNICODE)
            return MAPI_E_UNKNOWN_FLAGS;
        try {
            return CreateProfileTable(ReadProfiles(), (flags & MAPI_UNICODE) != 0, table);
        } catch (const std::bad_alloc&) {
            return MAPI_E_NOT_ENOUGH_MEMORY;
        }
    }

    // Everything else about profiles is not simulated.
    STDMETHODIMP GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP CreateProfile(LPTSTR, LPTSTR, ULONG_PTR, ULONG) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP DeleteProfile(LPTSTR, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP ChangeProfilePassword(LPTSTR, LPTSTR, LPTSTR, ULONG) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP CopyProfile(LPTSTR, LPTSTR, LPTSTR, ULONG_PTR, ULONG) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP RenameProfile(LPTSTR, LPTSTR, LPTSTR, ULONG_PTR, ULONG) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP SetDefaultProfile(LPTSTR, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP AdminServices(LPTSTR, LPTSTR, ULONG_PTR, ULONG, LPSERVICEADMIN*) override {
        return MAPI_E_NO_SUPPORT;
    }

private:
};

} // namespace

HRESULT CreateProfAdmin(IProfAdmin** admin) {
    *admin = new (std::nothrow) ProfAdmin;
    return *admin ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

} // namespace sw::simmapi
