// The commands the user starts from the ribbon, the toolbar or a context
// menu, in one table: what each runs and whether it waits for a running
// command. The ribbon's callbacks and the toolbar's click handlers call
// nothing else.
#pragma once

namespace sw {

enum class UserCommand {
    BlockSenders,
    BlockDomains,
    // The single-selection context item "Block Sender's Domain".
    BlockSenderDomain,
    ManageBlockedSenders,
    Help,
    Support,
};

// Runs `command`, unless it is one of the blocking commands that wait and
// another of them is running (a click delivered while its message box is
// up). Lets no failure out. ManageBlockedSenders returns when the sheet
// has closed and its runs are restored.
void RunUserCommand(UserCommand command) noexcept;

} // namespace sw
