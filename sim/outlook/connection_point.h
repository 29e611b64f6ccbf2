// Connection points of the simulated event sources. An object with events
// embeds an EventContainer and answers IConnectionPointContainer with it;
// the container shares the object's reference count and identity.
//
// FindConnectionPoint is recorded under the owner's kind, Advise, Unadvise
// and the other IConnectionPoint members under "ConnectionPoint"; all pass
// the fault plan. A Fail rule makes the call return its code; a
// ReturnEmpty or ReturnNullObject rule lets the operation happen and answers
// nothing (a null connection point, a cookie of 0). Every sink reference a
// connection point keeps counts in the reference tracker as kind
// "AdvisedSink" until Unadvise or a restart of the host releases it.
#pragma once

#include "sim/outlook/event_sinks.h"
#include "sim/outlook/host_state.h"

#include <ocidl.h>

#include <memory>
#include <string>

namespace sw::sim {

class EventContainer final : public IConnectionPointContainer {
public:
    // `owner` is the object that embeds the container; `ownerKind` its kind.
    EventContainer(IDispatch& owner, std::wstring ownerKind, std::shared_ptr<HostState> host,
                   const IID& eventIid, EventSinks& sinks);
    EventContainer(const EventContainer&) = delete;
    EventContainer& operator=(const EventContainer&) = delete;

    // IUnknown: the owner's.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) noexcept override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid,
                                                  IConnectionPoint** out) noexcept override;

    // Answers the container for IConnectionPointContainer (with a reference).
    HRESULT Query(REFIID iid, void** out) noexcept;

private:
    IDispatch& m_owner;
    std::wstring m_ownerKind;
    std::shared_ptr<HostState> m_host;
    IID m_eventIid;
    EventSinks& m_sinks;
};

} // namespace sw::sim
