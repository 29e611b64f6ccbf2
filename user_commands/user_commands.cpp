#include "user_commands/user_commands.h"

#include "commands/block_commands.h"
#include "commands/command_guard.h"
#include "commands/message_restorer.h"
#include "manager/options_command.h"
#include "platform/diagnostics.h"
#include "support/help_file.h"
#include "support/support_mail.h"

#include <windows.h>

namespace sw {
namespace {

void ManageBlockedSenders() noexcept {
    HostMessageRestorer restorer;
    ShowOptionsSheet(GetActiveWindow(), &restorer);
}

struct CommandEntry {
    UserCommand command;
    void (*run)() noexcept;
    // Waits for a running command: skipped while g_host.commandRunning is set.
    bool waits;
};

constexpr CommandEntry kCommands[] = {
    {UserCommand::BlockSenders, &BlockSelectedSenders, true},
    {UserCommand::BlockDomains, &BlockSelectedDomains, true},
    // The single-selection context item neither waits for a running
    // command nor makes others wait for it.
    {UserCommand::BlockSenderDomain, &BlockSelectedDomains, false},
    {UserCommand::ManageBlockedSenders, &ManageBlockedSenders, false},
    {UserCommand::Help, &OpenHelpFile, false},
    {UserCommand::Support, &OpenSupportMail, false},
};

} // namespace

void UserCommands::Run(UserCommand command) const noexcept {
    for (const CommandEntry& entry : kCommands) {
        if (entry.command != command)
            continue;
        if (!entry.waits) {
            entry.run();
        } else {
            CommandGuard guard;
            if (guard.acquired())
                entry.run();
        }
        break;
    }
    if (command == UserCommand::ManageBlockedSenders && m_optionsClosed) {
        try {
            m_optionsClosed();
        }
        SW_CATCH_LOG()
    }
}

} // namespace sw
