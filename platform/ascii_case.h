// ASCII case folding: A-Z become a-z and every other UTF-16 code unit stays
// as it is, so "\u00c9" and "\u00e9" stay different. The one fold behind the
// junk lists' comparisons, orders, hashes and folded copies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sw {

constexpr wchar_t FoldAsciiCase(wchar_t c) noexcept {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
}

inline void FoldAsciiCaseInPlace(std::wstring& text) noexcept {
    for (wchar_t& c : text)
        c = FoldAsciiCase(c);
}

inline std::wstring AsciiCaseFolded(std::wstring_view text) {
    std::wstring folded(text);
    FoldAsciiCaseInPlace(folded);
    return folded;
}

inline bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i]))
            return false;
    }
    return true;
}

// Negative, zero or positive as `a` sorts before, equal to or after `b`:
// code unit by code unit after the fold, a shorter text before a longer one
// it begins.
inline int CompareIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) noexcept {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        const auto x = static_cast<char16_t>(FoldAsciiCase(a[i]));
        const auto y = static_cast<char16_t>(FoldAsciiCase(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

// FNV-1a over the folded code units: texts EqualsIgnoringAsciiCase finds
// equal hash alike.
inline size_t HashIgnoringAsciiCase(std::wstring_view text) noexcept {
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : text)
        hash = (hash ^ static_cast<std::uint16_t>(FoldAsciiCase(c))) * 1099511628211ull;
    return static_cast<size_t>(hash ^ (hash >> 32));
}

} // namespace sw
