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

// A sink of one event interface that counts its own references (starting
// with one, its subscriber's) and keeps the module loaded while anyone holds
// it. While enabled it hands each event to OnEvent, holding a reference
// meanwhile, whatever the handler makes the host do; disabled, it takes none.
class SubscriberSink : public EventDispatch {
public:
    explicit SubscriberSink(const IID& events) noexcept;
    SubscriberSink(const SubscriberSink&) = delete;
    SubscriberSink& operator=(const SubscriberSink&) = delete;

    void Enable(bool on) noexcept { m_enabled = on; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept final;
    ULONG STDMETHODCALLTYPE AddRef() noexcept final { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept final;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argError) noexcept final;

protected:
    virtual ~SubscriberSink();
    virtual void OnEvent(DISPID id, const DISPPARAMS* params) noexcept = 0;

    const IID& events() const noexcept { return m_events; }

private:
    IID m_events;
    ULONG m_refs = 1;
    bool m_enabled = false;
};

// An event's argument `index` in declaration order (the host passes them
// last first), a VARIANT reference followed; null when the event carries
// fewer arguments.
const VARIANT* EventArgument(const DISPPARAMS* params, UINT index) noexcept;

} // namespace sw
