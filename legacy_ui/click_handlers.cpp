// What the toolbar buttons and the context-menu items run when clicked. The
// commands report their own failures; the event arguments are not read and
// the host's default action is never cancelled.
#include "legacy_ui/legacy_ui.h"
#include "legacy_ui/user_commands.h"

namespace sw {

void LegacyUi::OnClickBlockSenders(IDispatch*, VARIANT_BOOL*) noexcept {
    RunUserCommand(UserCommand::BlockSenders);
}

void LegacyUi::OnClickBlockDomains(IDispatch*, VARIANT_BOOL*) noexcept {
    RunUserCommand(UserCommand::BlockDomains);
}

void LegacyUi::OnClickOptions(IDispatch*, VARIANT_BOOL*) noexcept {
    RunUserCommand(UserCommand::ManageBlockedSenders);
    if (m_optionsClosed)
        m_optionsClosed();
}

void LegacyUi::OnClickSupport(IDispatch*, VARIANT_BOOL*) noexcept {
    RunUserCommand(UserCommand::Support);
}

void LegacyUi::OnClickHelp(IDispatch*, VARIANT_BOOL*) noexcept {
    RunUserCommand(UserCommand::Help);
}

void LegacyUi::OnClickBlockSenderDomain(IDispatch*, VARIANT_BOOL*) noexcept {
    RunUserCommand(UserCommand::BlockSenderDomain);
}

} // namespace sw
