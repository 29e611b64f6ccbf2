#include "outlook/event_connection.h"

#include "platform/com_ptr.h"
#include "platform/module_lock.h"

#include <ocidl.h>

namespace sw {
namespace {

HRESULT FindConnectionPoint(IDispatch* source, const IID& events,
                            com_ptr<IConnectionPoint>& point) noexcept {
    point.reset();
    if (!source)
        return E_POINTER;
    com_ptr<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.put_void());
    if (FAILED(hr))
        return hr;
    if (!container)
        return E_NOINTERFACE;
    hr = container->FindConnectionPoint(events, point.put());
    if (SUCCEEDED(hr) && !point)
        hr = E_POINTER;
    return hr;
}

} // namespace

HRESULT AdviseEvents(IDispatch* source, const IID& events, IUnknown* sink, DWORD& cookie) noexcept {
    com_ptr<IConnectionPoint> point;
    HRESULT hr = FindConnectionPoint(source, events, point);
    if (FAILED(hr))
        return hr;
    return point->Advise(sink, &cookie);
}

HRESULT UnadviseEvents(IDispatch* source, const IID& events, DWORD cookie) noexcept {
    com_ptr<IConnectionPoint> point;
    HRESULT hr = FindConnectionPoint(source, events, point);
    if (FAILED(hr))
        return hr;
    return point->Unadvise(cookie);
}

HRESULT EventDispatch::GetTypeInfoCount(UINT* count) noexcept {
    if (count)
        *count = 0;
    return E_NOTIMPL;
}

HRESULT EventDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT EventDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept {
    return E_NOTIMPL;
}

HRESULT EventDispatch::QueryEvents(REFIID iid, const IID& events, void** object) noexcept {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == events) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

SubscriberSink::SubscriberSink(const IID& events) noexcept : m_events(events) {
    LockModule();
}

SubscriberSink::~SubscriberSink() {
    UnlockModule();
}

HRESULT SubscriberSink::QueryInterface(REFIID iid, void** object) noexcept {
    return QueryEvents(iid, m_events, object);
}

ULONG SubscriberSink::Release() noexcept {
    const ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

HRESULT SubscriberSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO*, UINT*) noexcept {
    if (result)
        VariantInit(result);
    if (!m_enabled)
        return S_OK;
    AddRef();
    OnEvent(id, params);
    Release();
    return S_OK;
}

const VARIANT* EventArgument(const DISPPARAMS* params, UINT index) noexcept {
    if (!params || !params->rgvarg || index >= params->cArgs)
        return nullptr;
    const VARIANT* value = &params->rgvarg[params->cArgs - 1 - index];
    if (V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value))
        value = V_VARIANTREF(value);
    return value;
}

} // namespace sw
