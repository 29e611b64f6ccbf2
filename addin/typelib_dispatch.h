// IDispatch of a dual interface, answered from the registered type library
// that defines the interface. The type information is loaded on first use
// and kept until ReleaseTypeInfoCache, which Connect calls at disconnection
// and when it goes: never at the module's unload, under the loader lock.
#pragma once

#include "platform/com_ptr.h"

#include <oaidl.h>

namespace sw {

// The registered type information of `iid` from library `libid`: from the
// newest registered minor version of major version `major`, else, when no
// version of that major is registered, of `fallbackMajor`. Cached for the
// cache's lifetime once found; a failure is not cached.
[[nodiscard]] HRESULT GetRegisteredTypeInfo(const GUID& libid, WORD major, WORD fallbackMajor,
                                            REFIID iid, ITypeInfo** info) noexcept;

// Releases every cached type information; the next call loads it again.
void ReleaseTypeInfoCache() noexcept;

// Implements IDispatch for the dual interface I from library LibId, major
// version Major (any minor version), else FallbackMajor; IUnknown stays with
// the most derived class.
template <class I, const GUID* LibId, const IID* Iid, WORD Major = 1, WORD FallbackMajor = Major>
class TypeLibDispatch : public I {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return GetRegisteredTypeInfo(*LibId, Major, FallbackMajor, *Iid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) noexcept override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        com_ptr<ITypeInfo> info;
        HRESULT hr = GetRegisteredTypeInfo(*LibId, Major, FallbackMajor, *Iid, info.put());
        if (FAILED(hr))
            return hr;
        return info->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argError) noexcept override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        com_ptr<ITypeInfo> info;
        HRESULT hr = GetRegisteredTypeInfo(*LibId, Major, FallbackMajor, *Iid, info.put());
        if (FAILED(hr))
            return hr;
        return info->Invoke(static_cast<I*>(this), id, flags, params, result, excepInfo, argError);
    }
};

} // namespace sw
