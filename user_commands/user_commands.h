// The commands the user starts from the ribbon, the toolbar or a context
// menu, in one table: what each runs and whether it waits for a running
// command. The ribbon's callbacks and the toolbar's click handlers run
// nothing else, and both go through the one UserCommands the Connect object
// owns.
#pragma once

#include <functional>
#include <utility>

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

class UserCommands {
public:
    // `optionsClosed` runs each time the Options sheet has closed, whichever
    // surface opened it (the settings it saved may change what the add-in
    // watches).
    explicit UserCommands(std::function<void()> optionsClosed = {}) noexcept
        : m_optionsClosed(std::move(optionsClosed)) {}

    // Runs `command`, unless it is one of the blocking commands that wait and
    // another of them is running (a click delivered while its message box is
    // up). Lets no failure out. ManageBlockedSenders returns when the sheet
    // has closed, its runs are restored and `optionsClosed` has run.
    void Run(UserCommand command) const noexcept;

private:
    std::function<void()> m_optionsClosed;
};

} // namespace sw
