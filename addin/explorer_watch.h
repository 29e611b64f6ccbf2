// Waits for the host's first explorer window when Outlook started without
// one (started by another program through automation or MAPI, /embedding,
// "Send to mail recipient"): what needs an explorer, the toolbar of hosts
// before version 14, is built when the first one opens. Outlook raises
// Explorers.NewExplorer before the window shows, and the explorer's command
// bars are ready once its Activate follows: the watch subscribes to the
// first, then to that explorer's Activate, hands the explorer on once and
// ends both subscriptions.
#pragma once

#include "platform/com_ptr.h"

#include <windows.h>
#include <oaidl.h>

#include <functional>

namespace sw {

class ExplorerWatch {
public:
    // Handed the first explorer activated; it must let no exception out.
    using Opened = std::function<void(com_ptr<IDispatch> explorer)>;

    ExplorerWatch() = default;
    // Ends the subscriptions; a sink the host still holds then takes no
    // more events, and keeps the module loaded.
    ~ExplorerWatch();
    ExplorerWatch(const ExplorerWatch&) = delete;
    ExplorerWatch& operator=(const ExplorerWatch&) = delete;

    // Subscribes to the NewExplorer event of `application`'s Explorers.
    // Failures are logged: the toolbar then waits for Outlook's next start.
    void Start(IDispatch* application, Opened opened) noexcept;
    // Ends whatever subscription is left.
    void Stop() noexcept;
    bool watching() const noexcept { return m_explorers.sink || m_explorer.sink; }

private:
    class Sink;
    struct Subscription {
        Sink* sink = nullptr; // one reference of its own
        com_ptr<IDispatch> source;
        DWORD cookie = 0;
    };

    // Advises a new sink for `events` on `source`; false (logged) on failure.
    bool Subscribe(Subscription& subscription, IDispatch* source, const IID& events,
                   DISPID event) noexcept;
    void End(Subscription& subscription, const IID& events) noexcept;
    void OnNewExplorer(IDispatch* explorer) noexcept;
    void OnActivate() noexcept;
    // Hands the explorer on and ends the watch.
    void Open(com_ptr<IDispatch> explorer) noexcept;

    Subscription m_explorers; // Explorers.NewExplorer
    Subscription m_explorer;  // the new explorer's Activate
    Opened m_opened;
};

} // namespace sw
