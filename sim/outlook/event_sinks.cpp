#include "sim/outlook/event_sinks.h"

#include "platform/automation.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace sw::sim {

namespace {

DWORD NextCookie() noexcept {
    static std::atomic<DWORD> next{1};
    DWORD cookie = next++;
    return cookie != 0 ? cookie : next++;
}

} // namespace

DWORD EventSinks::Advise(com_ptr<IDispatch> sink) {
    DWORD cookie = NextCookie();
    m_connections.push_back({cookie, std::move(sink)});
    return cookie;
}

bool EventSinks::Unadvise(DWORD cookie) {
    auto it = std::find_if(m_connections.begin(), m_connections.end(),
                           [cookie](const Connection& c) { return c.cookie == cookie; });
    if (it == m_connections.end())
        return false;
    // Released after it left the list: its Release may call back into the host.
    com_ptr<IDispatch> sink = std::move(it->sink);
    m_connections.erase(it);
    return true;
}

bool EventSinks::connected(DWORD cookie) const noexcept {
    return std::any_of(m_connections.begin(), m_connections.end(),
                       [cookie](const Connection& c) { return c.cookie == cookie; });
}

std::vector<com_ptr<IDispatch>> EventSinks::Sinks() const {
    std::vector<com_ptr<IDispatch>> sinks;
    for (const Connection& connection : m_connections)
        sinks.push_back(connection.sink);
    return sinks;
}

size_t EventSinks::ReleaseAll() {
    std::vector<Connection> released = std::exchange(m_connections, {});
    return released.size();
}

unsigned EventSinks::Fire(DISPID id, std::span<VARIANT> reversedArgs) {
    const std::vector<Connection> snapshot = m_connections;
    unsigned reached = 0;
    for (const Connection& connection : snapshot) {
        if (!connected(connection.cookie))
            continue;
        DISPPARAMS params{};
        params.rgvarg = reversedArgs.empty() ? nullptr : reversedArgs.data();
        params.cArgs = static_cast<UINT>(reversedArgs.size());
        unique_variant result;
        EXCEPINFO excep{};
        UINT argError = 0;
        // What a sink answers does not change what the host does next.
        connection.sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result.put(), &excep,
                                &argError);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        ++reached;
    }
    return reached;
}

} // namespace sw::sim
