// The order of Blocked Senders entries, CompareIgnoringAsciiCase's: UTF-16
// code unit by code unit after folding the ASCII letters A-Z to a-z, nothing
// else folded. Digits sort before "@", and "@" and "_" before every letter.
#pragma once

#include "platform/ascii_case.h"

#include <string>
#include <string_view>
#include <vector>

namespace sw {

// Strict weak ordering for sorted containers and binary searches.
struct AsciiCaseLess {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const noexcept {
        return CompareIgnoringAsciiCase(a, b) < 0;
    }
};

// The one merge of sorted entries: `incoming`, sorted by the order with
// equal entries in their own order, goes into `listed`, sorted with no two
// equal, in one pass. An incoming entry that is empty, or equal to one
// listed or to one taken before it, is passed over, into `passedOver` when
// given. `added` is how many were taken.
std::vector<std::wstring> MergeSortedEntries(std::vector<std::wstring> listed,
                                             std::vector<std::wstring> incoming, size_t& added,
                                             std::vector<std::wstring>* passedOver = nullptr);

} // namespace sw
