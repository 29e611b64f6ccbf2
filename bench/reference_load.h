// Loading the Blocked Senders page's entries as the page first did it: every
// entry of the stored text put in by a linear walk from the first entry.
// The baseline for the page's own Load.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sw::bench {

// The entries of `listText`, sorted, the first of entries equal under the
// order kept: what BlockedSendersList::Load yields.
std::vector<std::wstring> LoadByLinearWalk(std::wstring_view listText);

} // namespace sw::bench
