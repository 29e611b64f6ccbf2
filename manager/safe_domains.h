// The Options page's safe-domain rows and their stored form (entries joined
// by ";" with none after the last). No window is involved.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sw {

// The rows a stored safe-domain text shows: every entry the tokenizer yields,
// untrimmed, duplicates kept.
std::vector<std::wstring> SafeDomainRows(std::wstring_view text);

// Add refuses a text that some row begins with, letter case ignored (so also
// a text that is only the beginning of an existing entry).
bool HasRowStartingWith(const std::vector<std::wstring>& rows, std::wstring_view text) noexcept;

// The stored form of the rows, in order: each trimmed of white space, blank
// rows dropped, joined by ";", with no ";" at the end.
std::wstring BuildSafeDomains(const std::vector<std::wstring>& rows);

} // namespace sw
