#include "addin/typelib_dispatch.h"

#include "platform/diagnostics.h"

#include <vector>

namespace sw {
namespace {

struct CachedTypeInfo {
    IID iid;
    com_ptr<ITypeInfo> info;
};

std::vector<CachedTypeInfo>& Cache() {
    static std::vector<CachedTypeInfo> cache;
    return cache;
}

} // namespace

HRESULT GetRegisteredTypeInfo(const GUID& libid, WORD major, WORD minor, REFIID iid,
                              ITypeInfo** info) noexcept {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    try {
        for (const CachedTypeInfo& entry : Cache()) {
            if (entry.iid == iid) {
                *info = com_ptr<ITypeInfo>(entry.info).detach();
                return S_OK;
            }
        }
        // Libraries register under a neutral locale or, like ours, US English.
        com_ptr<ITypeLib> library;
        HRESULT hr = LoadRegTypeLib(libid, major, minor, LOCALE_NEUTRAL, library.put());
        if (FAILED(hr))
            hr = LoadRegTypeLib(libid, major, minor, MAKELCID(0x0409, SORT_DEFAULT), library.put());
        if (FAILED(hr))
            return hr;
        com_ptr<ITypeInfo> found;
        hr = library->GetTypeInfoOfGuid(iid, found.put());
        if (FAILED(hr))
            return hr;
        Cache().push_back({iid, found});
        *info = found.detach();
        return S_OK;
    } catch (...) {
        SW_LOG_CAUGHT();
        return E_OUTOFMEMORY;
    }
}

} // namespace sw
