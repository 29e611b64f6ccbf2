#include "addin/explorer_watch.h"

#include "outlook/event_connection.h"
#include "outlook/host_call.h"
#include "outlook/host_error.h"
#include "outlook/office_ids.h"
#include "platform/diagnostics.h"

#include <utility>

namespace sw {

// Receives one event of one source for its watch.
class ExplorerWatch::Sink final : public SubscriberSink {
public:
    Sink(ExplorerWatch& watch, const IID& events, DISPID event) noexcept
        : SubscriberSink(events), m_watch(watch), m_event(event) {}

private:
    void OnEvent(DISPID id, const DISPPARAMS* params) noexcept override {
        if (id != m_event)
            return;
        if (events() == kIidExplorersEvents)
            m_watch.OnNewExplorer(EventObject(params));
        else
            m_watch.OnActivate();
    }

    // The event's one argument, an object, also when passed by reference.
    static IDispatch* EventObject(const DISPPARAMS* params) noexcept {
        const VARIANT* value = EventArgument(params, 0);
        if (value && V_VT(value) == VT_DISPATCH)
            return V_DISPATCH(value);
        if (value && V_VT(value) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(value))
            return *V_DISPATCHREF(value);
        return nullptr;
    }

    ExplorerWatch& m_watch;
    DISPID m_event;
};

ExplorerWatch::~ExplorerWatch() {
    Stop();
}

void ExplorerWatch::Start(IDispatch* application, Opened opened) noexcept {
    Stop();
    m_opened = std::move(opened);
    try {
        const Dispatch explorers = GetObject(application, L"Explorers");
        Subscribe(m_explorers, explorers.get(), kIidExplorersEvents, kDispidNewExplorer);
    } catch (const HostError&) {
        SW_LOG_CAUGHT();
    }
}

void ExplorerWatch::Stop() noexcept {
    End(m_explorer, kIidExplorerEvents10);
    End(m_explorers, kIidExplorersEvents);
}

bool ExplorerWatch::Subscribe(Subscription& subscription, IDispatch* source, const IID& events,
                              DISPID event) noexcept {
    Sink* sink = nullptr;
    try {
        sink = new Sink(*this, events, event);
    } catch (...) {
        SW_LOG_CAUGHT();
        return false;
    }
    DWORD cookie = 0;
    if (FAILED(SW_LOG_IF_FAILED(
            AdviseEvents(source, events, static_cast<IDispatch*>(sink), cookie)))) {
        sink->Release();
        return false;
    }
    sink->Enable(true);
    subscription.sink = sink;
    subscription.source = com_ptr<IDispatch>(source);
    subscription.cookie = cookie;
    return true;
}

void ExplorerWatch::End(Subscription& subscription, const IID& events) noexcept {
    if (!subscription.sink)
        return;
    // A host that goes on delivering after Unadvise reaches nothing.
    Sink* sink = std::exchange(subscription.sink, nullptr);
    sink->Enable(false);
    SW_LOG_IF_FAILED(UnadviseEvents(subscription.source.get(), events, subscription.cookie));
    sink->Release();
    subscription.source = nullptr;
    subscription.cookie = 0;
}

void ExplorerWatch::OnNewExplorer(IDispatch* explorer) noexcept {
    // The first explorer is the one waited for; its Activate follows.
    if (!explorer || m_explorer.sink)
        return;
    if (!Subscribe(m_explorer, explorer, kIidExplorerEvents10, kDispidActivate))
        Open(com_ptr<IDispatch>(explorer)); // no Activate to wait for: now, then
}

void ExplorerWatch::OnActivate() noexcept {
    Open(m_explorer.source);
}

void ExplorerWatch::Open(com_ptr<IDispatch> explorer) noexcept {
    // Once: the watch ends before the explorer is handed on, whatever the
    // handler then makes the host raise.
    Opened opened = std::move(m_opened);
    Stop();
    if (opened && explorer)
        opened(std::move(explorer));
}

} // namespace sw
