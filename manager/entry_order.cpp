#include "manager/entry_order.h"

#include <algorithm>

namespace sw {
namespace {

unsigned FoldedUnit(wchar_t c) noexcept {
    unsigned u = static_cast<unsigned>(static_cast<char16_t>(c));
    return (u >= L'A' && u <= L'Z') ? u + (L'a' - L'A') : u;
}

} // namespace

int CompareIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) noexcept {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const unsigned x = FoldedUnit(a[i]);
        const unsigned y = FoldedUnit(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::vector<std::wstring> MergeSortedEntries(std::vector<std::wstring> listed,
                                             std::vector<std::wstring> incoming, size_t& added,
                                             std::vector<std::wstring>* passedOver) {
    std::vector<std::wstring> merged;
    merged.reserve(listed.size() + incoming.size());
    added = 0;
    size_t i = 0;
    for (std::wstring& entry : incoming) {
        if (entry.empty())
            continue;
        while (i < listed.size() && CompareIgnoringAsciiCase(listed[i], entry) < 0)
            merged.push_back(std::move(listed[i++]));
        const bool taken = (i < listed.size() && CompareIgnoringAsciiCase(listed[i], entry) == 0) ||
                           (!merged.empty() && CompareIgnoringAsciiCase(merged.back(), entry) == 0);
        if (taken) {
            if (passedOver)
                passedOver->push_back(std::move(entry));
        } else {
            merged.push_back(std::move(entry));
            ++added;
        }
    }
    while (i < listed.size())
        merged.push_back(std::move(listed[i++]));
    return merged;
}

} // namespace sw
