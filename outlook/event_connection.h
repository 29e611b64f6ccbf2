// Subscribing a sink to one of a host object's event interfaces through its
// connection point, ending the subscription, and what every sink shares.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sw {

// Advises `sink` on `source`'s connection point for `events`; `cookie`
// receives the subscription's cookie. Answers the host's result.
[[nodiscard]] HRESULT AdviseEvents(IDispatch* source, const IID& events, IUnknown* sink,
                                   DWORD& cookie) noexcept;
// Unadvises `cookie` from `source`'s connection point for `events`.
[[nodiscard]] HRESULT UnadviseEvents(IDispatch* source, const IID& events, DWORD cookie) noexcept;

// The IDispatch of an event sink: the host raises each event as Invoke with
// its DISPID, and a sink has no type information to offer.
class EventDispatch : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid,
                                          ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) noexcept override;

protected:
    // QueryInterface answering IUnknown, IDispatch and `events` with this
    // object (and a reference).
    [[nodiscard]] HRESULT QueryEvents(REFIID iid, const IID& events, void** object) noexcept;
};

// An event's argument `index` in declaration order (the host passes them
// last first), a VARIANT reference followed; null when the event carries
// fewer arguments.
const VARIANT* EventArgument(const DISPPARAMS* params, UINT index) noexcept;

} // namespace sw
