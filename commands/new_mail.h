// New mail from senders blocked since Outlook started. Outlook's junk filter
// reads the Blocked Senders list only when Outlook starts, so until then the
// host's NewMailEx event brings each new message here, and one whose sender
// an entry added since (g_host.newBlockedEntries) blocks goes to Junk E-mail.
#pragma once

#include <cstddef>
#include <string_view>

namespace sw {

// The history's name for the runs of moved new mail.
inline constexpr wchar_t kNewMailCommand[] = L"New mail";

// Handles one NewMailEx event: `entryIds` is its EntryIDCollection, one
// EntryID (Outlook 2007 and later) or several separated by commas (Outlook
// 2003). Moves to Junk E-mail each mail message, not in Junk E-mail already,
// whose sender a new entry blocks and the Safe Senders list does not keep,
// and records the moves as one "New mail" run. Each id is looked for in the
// default store and, from Outlook 2007 on, in every other store that
// receives the user's mail; a message goes to the Junk E-mail folder of its
// own store as the commands' moves do (JunkMover). An id that no store finds
// (the junk filter or a rule may have moved its item) is passed over.
// Without new entries, or with the setting off, it makes no host call.
// Shows nothing, opens no window, raises nothing: failures are logged.
// Answers the number of messages moved.
size_t MoveNewMailFromBlockedSenders(std::wstring_view entryIds) noexcept;

} // namespace sw
