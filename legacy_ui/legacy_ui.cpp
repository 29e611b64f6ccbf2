// The surface's life: started and stopped with the connection, its host
// references released in the order the host expects.
#include "legacy_ui/legacy_ui.h"

#include "outlook/host_call.h"
#include "platform/diagnostics.h"
#include "store/state.h"

namespace sw {

LegacyUi::LegacyUi(IUnknown& lifetime, const UserCommands& commands)
    : m_lifetime(lifetime), m_commands(commands), m_sinks(EventSinkSet::Create(*this)) {}

std::unique_ptr<CommandSurface> CreateLegacySurface(IUnknown& lifetime,
                                                    const UserCommands& commands) {
    return std::make_unique<LegacyUi>(lifetime, commands);
}

LegacyUi::~LegacyUi() {
    // A host that lets go without disconnecting the add-in must not keep a
    // sink of a destroyed object.
    DisconnectSinks();
    // Command-bar references go first, then the command bars, the explorer last.
    m_ctxBlockDomains = nullptr;
    m_ctxBlockSenders = nullptr;
    m_ctxBlockSenderDomain = nullptr;
    m_maskBlockDomains = nullptr;
    m_maskBlockSenders = nullptr;
    m_picBlockDomains = nullptr;
    m_picBlockSenders = nullptr;
    m_btnHelp = nullptr;
    m_btnSupport = nullptr;
    m_btnOptions = nullptr;
    m_btnBlockDomains = nullptr;
    m_btnBlockSenders = nullptr;
    m_toolbar = nullptr;
    m_commandBars = nullptr;
    m_explorer = nullptr;
    // A sink the host still holds outlives this object but reaches it no more.
    m_sinks->Detach();
}

void LegacyUi::SetExplorer(com_ptr<IDispatch> explorer, com_ptr<IDispatch> commandBars) noexcept {
    m_explorer = std::move(explorer);
    m_commandBars = std::move(commandBars);
}

void LegacyUi::Start() noexcept {
    if (!g_host.capabilities.toolbar)
        return;
    BuildToolbar();
    // A second start-up notification must not subscribe the sinks twice.
    if (g_host.capabilities.itemContextMenuEvent && !Sink(kSinkApplication).connected())
        SW_LOG_IF_FAILED(Sink(kSinkApplication).ConnectTo(HostApp()));
    if (g_host.capabilities.commandBarsEvent && !Sink(kSinkCommandBars).connected())
        SW_LOG_IF_FAILED(Sink(kSinkCommandBars).ConnectTo(m_commandBars.get()));
}

void LegacyUi::Stop() noexcept {
    DisconnectSinks();
    DeleteToolbarButtons();
}

IDispatch* LegacyUi::SinkSource(int number) const noexcept {
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

void LegacyUi::DisconnectSinks() noexcept {
    for (int number = 1; number <= kSinkCount; ++number) {
        EventSink& sink = Sink(number);
        if (sink.connected())
            SW_LOG_IF_FAILED(sink.DisconnectFrom(SinkSource(number)));
    }
}

void LegacyUi::DeleteToolbarButtons() noexcept {
    for (com_ptr<IDispatch>* button :
         {&m_btnBlockSenders, &m_btnBlockDomains, &m_btnOptions, &m_btnSupport, &m_btnHelp}) {
        if (!*button)
            continue;
        try {
            // A button the host has already removed stays removed.
            SW_LOG_IF_FAILED(CallMethod(button->get(), L"Delete", {}));
        }
        SW_CATCH_LOG()
    }
}

} // namespace sw
