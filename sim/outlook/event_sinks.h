// The sinks advised on one outgoing dispinterface of a simulated event
// source, and the delivery of its events: each event is an
// IDispatch::Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD) on every sink, the
// arguments last first in rgvarg, as Office raises them.
#pragma once

#include "platform/com_ptr.h"

#include <oaidl.h>

#include <cstddef>
#include <span>
#include <vector>

namespace sw::sim {

// The kind under which the reference tracker counts the sink references
// that connection points hold (see OutlookSession::References).
inline constexpr wchar_t kAdvisedSinkKind[] = L"AdvisedSink";

class EventSinks {
public:
    EventSinks() = default;
    EventSinks(const EventSinks&) = delete;
    EventSinks& operator=(const EventSinks&) = delete;

    // Keeps `sink` and answers its cookie: never 0, and unique within the
    // process, so that a cookie given to the wrong source matches nothing.
    DWORD Advise(com_ptr<IDispatch> sink);
    // Releases the sink of `cookie`; false when no sink has that cookie.
    bool Unadvise(DWORD cookie);
    bool connected(DWORD cookie) const noexcept;
    size_t size() const noexcept { return m_connections.size(); }
    // A new reference to every sink advised, in advising order: what a host
    // that releases its sinks late would still hold.
    std::vector<com_ptr<IDispatch>> Sinks() const;
    // Releases every sink; answers how many there were.
    size_t ReleaseAll();

    // Raises event `id` on the sinks connected when it starts, skipping any
    // that an earlier sink's handler unadvised; answers how many it reached.
    // `reversedArgs` is rgvarg: the last argument first.
    unsigned Fire(DISPID id, std::span<VARIANT> reversedArgs = {});

private:
    struct Connection {
        DWORD cookie;
        com_ptr<IDispatch> sink;
    };

    std::vector<Connection> m_connections;
};

} // namespace sw::sim
