// The in-process server's exports.
#include "dll/class_factory.h"
#include "addin/idl/spamwarden.h"
#include "addin/server.h"
#include "platform/module_lock.h"

#include <windows.h>

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_Connect)
        return CLASS_E_CLASSNOTAVAILABLE;
    return sw::ConnectClassFactory()->QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return sw::ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
    return sw::RegisterServer();
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return sw::UnregisterServer();
}

} // extern "C"
