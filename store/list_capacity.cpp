#include "store/list_capacity.h"

#include <algorithm>

namespace sw {

unsigned ListCapacity::Percent() const noexcept {
    const size_t byBytes = bytes * 100 / kJunkListByteLimit;
    const size_t byEntries = entries * 100 / kBlockedEntryLimit;
    const size_t percent = byBytes > byEntries ? byBytes : byEntries;
    return percent > 999 ? 999u : static_cast<unsigned>(percent);
}

CapacityLevel ListCapacity::Level() const noexcept {
    if (bytes > kJunkListByteLimit || entries > kBlockedEntryLimit)
        return CapacityLevel::Over;
    // Past 90 %: compared in whole numbers, 10 x value > 9 x limit.
    if (bytes * 10 > kJunkListByteLimit * 9 || entries * 10 > kBlockedEntryLimit * 9)
        return CapacityLevel::Warning;
    return CapacityLevel::Normal;
}

std::wstring ListCapacity::Text() const {
    // Kilobytes rounded up: a list of a few bytes is not "0 KB".
    const size_t kilobytes = (bytes + 1023) / 1024;
    const size_t copied = std::min(copies, entries);
    const size_t listed = entries - copied;
    std::wstring count = GroupedNumber(listed) + (listed == 1 ? L" entry" : L" entries");
    if (copied > 0)
        count += L" + " + GroupedNumber(copied) + (copied == 1 ? L" copy" : L" copies");
    return count + L" \u00B7 " + GroupedNumber(kilobytes) + L" KB of " +
           GroupedNumber(kJunkListByteLimit / 1024) + L" KB";
}

size_t StoredListBytes(std::wstring_view listText) noexcept {
    return listText.empty() ? 0 : (listText.size() + 1) * sizeof(wchar_t);
}

size_t CountListEntries(std::wstring_view listText) noexcept {
    size_t count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= listText.size(); ++i) {
        if (i == listText.size() || listText[i] == L';') {
            if (i > start)
                ++count;
            start = i + 1;
        }
    }
    return count;
}

ListCapacity CapacityOf(std::wstring_view blockedText, std::wstring_view safeText) noexcept {
    ListCapacity capacity;
    capacity.bytes = StoredListBytes(blockedText) + StoredListBytes(safeText);
    capacity.entries = CountListEntries(blockedText);
    return capacity;
}

std::wstring GroupedNumber(size_t value) {
    std::wstring digits = std::to_wstring(value);
    for (size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, 1, L',');
    return digits;
}

} // namespace sw
