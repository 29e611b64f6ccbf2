#include "legacy_ui/event_sink.h"

#include "legacy_ui/event_bindings.h"
#include "outlook/event_connection.h"
#include "platform/diagnostics.h"
#include "platform/module_lock.h"

namespace sw {

HRESULT EventSink::ConnectTo(IDispatch* source) noexcept {
    DWORD cookie = 0;
    const HRESULT hr = AdviseEvents(source, m_events, static_cast<IDispatch*>(this), cookie);
    if (SUCCEEDED(hr))
        m_cookie = cookie;
    return hr;
}

HRESULT EventSink::DisconnectFrom(IDispatch* source) noexcept {
    const DWORD cookie = m_cookie;
    m_cookie = kNoCookie;
    return UnadviseEvents(source, m_events, cookie);
}

HRESULT EventSink::QueryInterface(REFIID iid, void** object) noexcept {
    return QueryEvents(iid, m_events, object);
}

ULONG EventSink::AddRef() noexcept {
    m_set.AddRef();
    return ++m_refs;
}

ULONG EventSink::Release() noexcept {
    const ULONG refs = m_refs > 0 ? --m_refs : 0;
    m_set.Release(); // may end the set, and this sink with it
    return refs;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO*, UINT*) noexcept {
    if (result)
        VariantInit(result);
    // A disconnected sink takes no more events, even from a source that
    // still delivers them.
    LegacyUi* owner = m_set.owner();
    if (!connected() || !owner)
        return S_OK;
    try {
        EventBindings::Route(*owner, m_number, m_events, id, params);
    } catch (...) {
        // Nothing may reach the host from an event.
        SW_LOG_CAUGHT();
    }
    return S_OK;
}

EventSinkSet* EventSinkSet::Create(LegacyUi& owner) {
    return new EventSinkSet(owner);
}

EventSinkSet::EventSinkSet(LegacyUi& owner) : m_owner(&owner) {
    for (int number = 1; number <= kCount; ++number)
        m_sinks[number - 1] = new EventSink(*this, number, EventBindings::EventsOf(number));
    // Command bars release their controls' sinks late, after disconnection
    // and after Connect has gone: the host's last Release must still find
    // the module loaded.
    LockModule();
}

EventSinkSet::~EventSinkSet() {
    for (EventSink* sink : m_sinks)
        delete sink;
    UnlockModule();
}

void EventSinkSet::Detach() noexcept {
    m_owner = nullptr;
    Release();
}

void EventSinkSet::Release() noexcept {
    if (--m_refs == 0)
        delete this;
}

} // namespace sw
