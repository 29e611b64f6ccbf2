// The order of Blocked Senders entries: UTF-16 code unit by code unit after
// folding the ASCII letters A-Z to a-z, nothing else folded. Digits sort
// before "@", and "@" and "_" before every letter.
#pragma once

#include <string_view>

namespace sw {

// Negative, zero or positive as `a` sorts before, equal to or after `b`.
int CompareIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) noexcept;

// Strict weak ordering for sorted containers and binary searches.
struct AsciiCaseLess {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const noexcept {
        return CompareIgnoringAsciiCase(a, b) < 0;
    }
};

} // namespace sw
