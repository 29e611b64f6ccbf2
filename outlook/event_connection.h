// Subscribing a sink to one of a host object's event interfaces through its
// connection point, and ending the subscription.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sw {

// Advises `sink` on `source`'s connection point for `events`; `cookie`
// receives the subscription's cookie. Answers the host's result.
HRESULT AdviseEvents(IDispatch* source, const IID& events, IUnknown* sink, DWORD& cookie) noexcept;
// Unadvises `cookie` from `source`'s connection point for `events`.
HRESULT UnadviseEvents(IDispatch* source, const IID& events, DWORD cookie) noexcept;

} // namespace sw
