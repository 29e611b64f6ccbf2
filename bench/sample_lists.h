// Blocked Senders lists and the senders of selected messages, made up the same
// way on every run.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sw::bench {

// `count` distinct entries in random order: addresses, one in ten a domain
// entry, one in seven capitalised.
std::vector<std::wstring> BlockedEntries(size_t count);

// The list text (terminator form) of `entries`.
std::wstring ListText(const std::vector<std::wstring>& entries);

// `count` senders of selected messages, every second one already blocked by
// `entries` as the command tests it (the address itself, or for Block Domains
// its domain entry), the others new to the list.
std::vector<std::wstring> SelectedSenders(const std::vector<std::wstring>& entries, bool domains,
                                          size_t count);

// A never-block list of `count` entries that no sender above is on.
std::wstring SafeListText(size_t count);

} // namespace sw::bench
