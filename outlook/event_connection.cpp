#include "outlook/event_connection.h"

#include "platform/com_ptr.h"

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

} // namespace sw
