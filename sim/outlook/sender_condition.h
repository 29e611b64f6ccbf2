// The filters the simulated Items.Restrict understands: a DASL condition on
// the sender's address property (PR_SENDER_EMAIL_ADDRESS), whole or by its
// end. Any other filter is refused, as Outlook refuses one it cannot parse.
#pragma once

#include "sim/outlook/mailbox.h"

#include <optional>
#include <string>
#include <string_view>

namespace sw::sim {

struct SenderCondition {
    std::wstring text;     // the literal, its doubled quotes made single
    bool endsWith = false; // LIKE '%text'; otherwise = 'text'
};

// Parses exactly
//   @SQL="http://schemas.microsoft.com/mapi/proptag/0x0C1F001F" = '<literal>'
//   @SQL="http://schemas.microsoft.com/mapi/proptag/0x0C1F001F" LIKE '%<literal>'
// where the literal holds no lone quote (a quote is written twice), no
// double quote, no control character, and in the LIKE form none of LIKE's own characters
// (% _ [ ]). Nothing for anything else.
std::optional<SenderCondition> ParseSenderCondition(std::wstring_view filter);

// Whether the item's sender address meets the condition (ASCII letters in
// any case, as Outlook compares text).
bool Meets(const SenderCondition& condition, const Item& item);

} // namespace sw::sim
