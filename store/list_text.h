// The address list text: entries each followed by ";" ("terminator form"),
// or with ";" only between them ("separator form", the safe-domain setting).
#pragma once

// EqualsIgnoringAsciiCase, the comparison of the lists' entries.
#include "platform/ascii_case.h"

#include <string>
#include <string_view>
#include <vector>

namespace sw {

// The domain part of `address` from its first "@" on, or empty without "@".
std::wstring DomainOfAddress(std::wstring_view address);

// Whether `entry` is one of the entries of `list` (terminator form). The first
// entry matches without regard to ASCII case; every later entry must match
// exactly, and only when its ";" follows it.
bool ListContains(std::wstring_view entry, std::wstring_view list);

// Appends every element that ListContains does not find, each followed by ";".
// Elements appended take part in the tests of later ones. True if any was added.
bool AppendMissing(std::wstring& list, const std::vector<std::wstring>& entries);

// The entries of `list` (either form) but those in `sortedLeftOut` (sorted,
// compared exactly), each followed by ";".
std::wstring ListWithout(std::wstring_view list, const std::vector<std::wstring>& sortedLeftOut);

// Splits a text into entries at any of the delimiter characters; runs of
// delimiters collapse, so no empty entry is ever produced.
class CListTokenizer {
public:
    CListTokenizer(std::wstring_view text, std::wstring_view delimiters);

    // Stores the next entry in `out` and returns true, or empties `out` and
    // returns false when no entry is left.
    bool NextToken(std::wstring& out);

private:
    bool IsDelimiter(wchar_t c) const noexcept;

    std::wstring m_text;
    std::wstring m_delimiters;
    size_t m_position = 0;
};

} // namespace sw
