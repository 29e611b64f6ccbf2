#include "addin/typelib_dispatch.h"

#include "addin/idl/typelib_version.h"
#include "platform/diagnostics.h"

#include <vector>

namespace sw {
namespace {

struct CachedTypeInfo {
    IID iid;
    com_ptr<ITypeInfo> info;
};

std::vector<CachedTypeInfo>& Cache() {
    // Shared by every Connect; ReleaseTypeInfoCache empties it at disconnection.
    static std::vector<CachedTypeInfo> cache;
    return cache;
}

// One version's type information: the newest minor version of `major` that
// is registered, under a neutral locale or, like ours, US English.
HRESULT LoadTypeInfo(const GUID& libid, WORD major, REFIID iid, ITypeInfo** info) noexcept {
    com_ptr<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(libid, major, 0, LOCALE_NEUTRAL, library.put());
    if (FAILED(hr))
        hr =
            LoadRegTypeLib(libid, major, 0, MAKELCID(SW_TYPELIB_LCID, SORT_DEFAULT), library.put());
    if (FAILED(hr))
        return hr;
    return library->GetTypeInfoOfGuid(iid, info);
}

} // namespace

void ReleaseTypeInfoCache() noexcept {
    // The vector's own memory stays until the module unloads; no COM
    // object is released then.
    Cache().clear();
}

HRESULT GetRegisteredTypeInfo(const GUID& libid, WORD major, WORD fallbackMajor, REFIID iid,
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
        com_ptr<ITypeInfo> found;
        HRESULT hr = LoadTypeInfo(libid, major, iid, found.put());
        if (FAILED(hr) && fallbackMajor != major &&
            SUCCEEDED(LoadTypeInfo(libid, fallbackMajor, iid, found.put())))
            hr = S_OK;
        if (FAILED(hr)) {
            // The host's call fails with this code; nothing else records it.
            SW_LOG_FAILURE(L"LoadRegTypeLib", hr);
            return hr;
        }
        Cache().push_back({iid, found});
        *info = found.detach();
        return S_OK;
    }
    SW_CATCH_RETURN()
}

} // namespace sw
