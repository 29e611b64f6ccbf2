// The Items.Restrict filters that find a folder's messages from the senders
// a Blocked Senders entry covers, by the sender's address property
// (PR_SENDER_EMAIL_ADDRESS) in DASL syntax.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sw {

// The sender address property by its DASL name.
inline constexpr wchar_t kSenderAddressProperty[] =
    L"http://schemas.microsoft.com/mapi/proptag/0x0C1F001F";

// The filter for `entry`: an address ("a@b.example") is compared whole,
//   @SQL="<property>" = 'a@b.example'
// and a domain ("@b.example") by the end of the address,
//   @SQL="<property>" LIKE '%@b.example'
// with each ' of the entry doubled. Nothing for an entry that no filter may
// carry: one without "@", or holding a double quote, ";" or a control
// character, or a domain holding one of LIKE's pattern characters (% _ [ ]).
std::optional<std::wstring> SenderFilter(std::wstring_view entry);

// Whether `entry` blocks `sender`: the same address, or a domain entry and
// an address at that domain (ASCII letters in any case).
bool EntryCoversSender(std::wstring_view entry, std::wstring_view sender);

} // namespace sw
