// What the toolbar buttons and the context-menu items run when clicked. The
// commands report their own failures; the event arguments are not read and
// the host's default action is never cancelled.
#include "commands/block_commands.h"
#include "commands/command_guard.h"
#include "commands/message_restorer.h"
#include "legacy_ui/legacy_ui.h"
#include "manager/options_command.h"
#include "support/help_file.h"
#include "support/support_mail.h"

namespace sw {

void LegacyUi::OnClickBlockSenders(IDispatch*, VARIANT_BOOL*) noexcept {
    CommandGuard guard;
    if (guard.acquired())
        BlockSelectedSenders();
}

void LegacyUi::OnClickBlockDomains(IDispatch*, VARIANT_BOOL*) noexcept {
    CommandGuard guard;
    if (guard.acquired())
        BlockSelectedDomains();
}

void LegacyUi::OnClickOptions(IDispatch*, VARIANT_BOOL*) noexcept {
    HostMessageRestorer restorer;
    ShowOptionsSheet(GetActiveWindow(), &restorer);
    if (m_optionsClosed)
        m_optionsClosed();
}

void LegacyUi::OnClickSupport(IDispatch*, VARIANT_BOOL*) noexcept {
    OpenSupportMail();
}

void LegacyUi::OnClickHelp(IDispatch*, VARIANT_BOOL*) noexcept {
    OpenHelpFile();
}

// The single-selection context item runs even while another command runs.
void LegacyUi::OnClickBlockSenderDomain(IDispatch*, VARIANT_BOOL*) noexcept {
    BlockSelectedDomains();
}

} // namespace sw
