// The two blocking commands that every surface (ribbon, toolbar, context
// menus) runs on the active explorer's whole selection.
#pragma once

namespace sw {

// Blocks the sender address of every selected mail item and moves the items
// to Junk E-mail.
void BlockSelectedSenders() noexcept;

// Blocks the sender domain of every selected mail item (the sender's own
// address for a safe domain) and moves the items to Junk E-mail.
void BlockSelectedDomains() noexcept;

} // namespace sw
