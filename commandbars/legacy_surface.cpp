// The command-bar surface of hosts before version 14: the toolbar and the
// context-menu event sources, started and stopped with the connection.
#include "commandbars/event_bindings.h"
#include "host/connect.h"
#include "host/host_app.h"
#include "host/host_call.h"
#include "store/state.h"

namespace sw {

void Connect::StartLegacySurface() {
    if (g_hostVersion >= 14)
        return;
    BuildToolbar(m_explorer.get());
    // A second start-up notification must not subscribe the sinks twice.
    if (g_hostVersion == 12 && !Sink(kSinkApplication).connected())
        Sink(kSinkApplication).ConnectTo(HostApp());
    if (g_hostVersion < 12 && !Sink(kSinkCommandBars).connected())
        Sink(kSinkCommandBars).ConnectTo(m_commandBars.get());
}

// Nothing of the surface may reach the object once the host has let it go:
// every subscription ends here, the context-menu sources' and the clicks of
// the toolbar and of the last context items alike, and the temporary buttons
// leave the bar.
void Connect::StopLegacySurface() {
    DisconnectSinks();
    DeleteToolbarButtons();
}

IDispatch* Connect::SinkSource(int number) const noexcept {
    switch (number) {
    case kSinkBlockSendersButton:
        return m_btnBlockSenders.get();
    case kSinkBlockDomainsButton:
        return m_btnBlockDomains.get();
    case kSinkOptionsButton:
        return m_btnOptions.get();
    case kSinkSupportButton:
        return m_btnSupport.get();
    case kSinkHelpButton:
        return m_btnHelp.get();
    case kSinkApplication:
        return HostApp();
    case kSinkBlockSenderDomainItem:
        return m_ctxBlockSenderDomain.get();
    case kSinkBlockSendersItem:
        return m_ctxBlockSenders.get();
    case kSinkBlockDomainsItem:
        return m_ctxBlockDomains.get();
    case kSinkCommandBars:
        return m_commandBars.get();
    default:
        return nullptr;
    }
}

void Connect::DisconnectSinks() noexcept {
    for (int number = 1; number <= kSinkCount; ++number) {
        EventSink& sink = Sink(number);
        if (sink.connected())
            sink.DisconnectFrom(SinkSource(number));
    }
}

void Connect::DeleteToolbarButtons() noexcept {
    for (com_ptr<IDispatch>* button :
         {&m_btnBlockSenders, &m_btnBlockDomains, &m_btnOptions, &m_btnSupport, &m_btnHelp}) {
        if (!*button)
            continue;
        try {
            CallMethod(button->get(), L"Delete", {});
        } catch (...) {
            // A button the host has already removed stays removed.
        }
    }
}

} // namespace sw
