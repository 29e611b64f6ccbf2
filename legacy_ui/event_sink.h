// A dispatch object that receives one host event source's events for the
// legacy surface it belongs to. It does not own that surface: its references
// only keep the sink itself alive. The sinks of one surface live in one
// block (EventSinkSet) that the surface holds and lets go of when it is
// destroyed; a host that still holds a sink then keeps the block, and the
// sink takes no more events, instead of calling into freed memory. The block
// holds the module loaded while it lives, so that the host's last Release
// never calls into an unloaded module either.
#pragma once

#include "outlook/event_connection.h"

#include <windows.h>
#include <oaidl.h>

namespace sw {

class LegacyUi;
class EventSinkSet;

class EventSink final : public EventDispatch {
public:
    // The cookie of a sink that is not connected to any source.
    static constexpr DWORD kNoCookie = 0xFEFEFEFE;

    // `number` is the sink's row in the event binding table; `events` the
    // source dispinterface it is bound to.
    EventSink(EventSinkSet& set, int number, const IID& events) noexcept
        : m_set(set), m_number(number), m_events(events) {}
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;

    int number() const noexcept { return m_number; }
    const IID& events() const noexcept { return m_events; }
    DWORD cookie() const noexcept { return m_cookie; }
    bool connected() const noexcept { return m_cookie != kNoCookie; }
    // References the host holds on the sink.
    ULONG references() const noexcept { return m_refs; }

    // Advises the sink on `source`'s connection point for its dispinterface
    // and keeps the cookie. Answers the host's result; never raises.
    [[nodiscard]] HRESULT ConnectTo(IDispatch* source) noexcept;
    // Unadvises the kept cookie from `source`; afterwards the sink holds no
    // cookie, whatever the host answered. Answers the host's result.
    [[nodiscard]] HRESULT DisconnectFrom(IDispatch* source) noexcept;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

    // IDispatch: events arrive through Invoke.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argError) noexcept override;

private:
    EventSinkSet& m_set;
    int m_number;
    IID m_events;
    DWORD m_cookie = kNoCookie;
    ULONG m_refs = 0;
};

// The ten sinks of one legacy surface, counted together: the surface holds
// one reference, the host one for each reference it holds on any sink.
class EventSinkSet {
public:
    static constexpr int kCount = 10;

    // A set with one reference, for `owner`.
    static EventSinkSet* Create(LegacyUi& owner);

    // Sink `number`, 1 to kCount.
    EventSink& Sink(int number) noexcept { return *m_sinks[number - 1]; }
    // The surface, or null once it has let go.
    LegacyUi* owner() const noexcept { return m_owner; }
    // The owner lets go: no sink reaches it any more.
    void Detach() noexcept;

    void AddRef() noexcept { ++m_refs; }
    void Release() noexcept;

private:
    explicit EventSinkSet(LegacyUi& owner);
    ~EventSinkSet();

    LegacyUi* m_owner;
    ULONG m_refs = 1;
    EventSink* m_sinks[kCount] = {};
};

} // namespace sw
