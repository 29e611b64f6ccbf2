// What the toolbar buttons and the context-menu items run when clicked. The
// commands report their own failures; the event arguments are not read and
// the host's default action is never cancelled.
#include "legacy_ui/legacy_ui.h"

namespace sw {

void LegacyUi::OnClickBlockSenders(IDispatch*, VARIANT_BOOL*) noexcept {
    m_commands.Run(UserCommand::BlockSenders);
}

void LegacyUi::OnClickBlockDomains(IDispatch*, VARIANT_BOOL*) noexcept {
    m_commands.Run(UserCommand::BlockDomains);
}

void LegacyUi::OnClickOptions(IDispatch*, VARIANT_BOOL*) noexcept {
    m_commands.Run(UserCommand::ManageBlockedSenders);
}

void LegacyUi::OnClickSupport(IDispatch*, VARIANT_BOOL*) noexcept {
    m_commands.Run(UserCommand::Support);
}

void LegacyUi::OnClickHelp(IDispatch*, VARIANT_BOOL*) noexcept {
    m_commands.Run(UserCommand::Help);
}

void LegacyUi::OnClickBlockSenderDomain(IDispatch*, VARIANT_BOOL*) noexcept {
    m_commands.Run(UserCommand::BlockSenderDomain);
}

} // namespace sw
