// The provider's entry points besides the allocator (allocator.cpp): what
// Wine's mapi32 forwards to the extended-MAPI client named by
// HKLM\Software\Clients\Mail, and the test-only counts.
#include "sim/mapi/counters.h"
#include "sim/mapi/prof_admin.h"
#include "sim/mapi/test_hooks.h"

#include <windows.h>
#include <mapicode.h>
#include <mapix.h>

namespace sw::simmapi {
Counters g_counters;
} // namespace sw::simmapi

using namespace sw::simmapi;

extern "C" HRESULT WINAPI MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin) {
    if (!lppProfAdmin)
        return MAPI_E_INVALID_PARAMETER;
    *lppProfAdmin = nullptr;
    if (ulFlags != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    HRESULT hr = CreateProfAdmin(lppProfAdmin);
    if (SUCCEEDED(hr))
        InterlockedIncrement(&g_counters.adminProfilesCalls);
    return hr;
}

// Profile administration needs no session: initialization does nothing.
extern "C" HRESULT WINAPI MAPIInitialize(LPVOID) {
    return S_OK;
}
extern "C" void WINAPI MAPIUninitialize() {}

// mapi32's DllCanUnloadNow asks the provider too.
extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return g_counters.profAdmins == 0 && g_counters.tables == 0 ? S_OK : S_FALSE;
}

extern "C" void WINAPI SimMapiGetCounts(SimMapiCounts* counts) {
    if (!counts)
        return;
    counts->profAdmins = InterlockedCompareExchange(&g_counters.profAdmins, 0, 0);
    counts->tables = InterlockedCompareExchange(&g_counters.tables, 0, 0);
    counts->buffers = InterlockedCompareExchange(&g_counters.buffers, 0, 0);
    counts->adminProfilesCalls = InterlockedCompareExchange(&g_counters.adminProfilesCalls, 0, 0);
    counts->buffersAllocated = InterlockedCompareExchange(&g_counters.buffersAllocated, 0, 0);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        // mapi32 loads and frees its provider with every use. The C++ runtime
        // linked in here takes a thread-local-storage slot at each load that
        // it never gives back; a process that looks up its profile a thousand
        // times would run out of slots. Stay loaded once loaded, as an
        // installed MAPI subsystem does.
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&DllMain), &self);
    }
    return TRUE;
}
