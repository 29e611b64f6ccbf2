#include "manager/entry_order.h"

#include <algorithm>

namespace sw {

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
