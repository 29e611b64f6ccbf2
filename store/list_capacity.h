// How full the junk lists are against what Exchange keeps: all of a
// mailbox's junk lists share one hidden message of at most 510 KB, and
// Exchange Online keeps at most 65,535 blocked entries. Past either limit
// Outlook stops synchronising or drops entries without a word.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sw {

inline constexpr size_t kJunkListByteLimit = 522240; // 510 KB
inline constexpr size_t kBlockedEntryLimit = 65535;

enum class CapacityLevel {
    Normal = 0,
    Warning = 1, // past 90 % of either limit
    Over = 2,    // past either limit
};

struct ListCapacity {
    // UTF-16 bytes of the Blocked Senders and Safe Senders values as stored.
    size_t bytes = 0;
    // Entries of the Blocked Senders list.
    size_t entries = 0;
    // Of those, the copies that differ from a listed entry only in letter
    // case: stored, and so counted against the limit, but no row of the list.
    size_t copies = 0;

    // The fuller of the two, in percent of its limit (may pass 100).
    unsigned Percent() const noexcept;
    CapacityLevel Level() const noexcept;
    // "2,431 entries · 74 KB of 510 KB"; with copies, the listed entries and
    // the copies apart: "2,429 entries + 2 copies · 74 KB of 510 KB".
    std::wstring Text() const;
};

// The bytes a list text takes as a stored value, its terminating 0 included;
// no value at all for an empty text.
size_t StoredListBytes(std::wstring_view listText) noexcept;

// The entries of a list text (terminator form); empty pieces do not count.
size_t CountListEntries(std::wstring_view listText) noexcept;

ListCapacity CapacityOf(std::wstring_view blockedText, std::wstring_view safeText) noexcept;

// A count with thousands separators: 65,535.
std::wstring GroupedNumber(size_t value);

} // namespace sw
