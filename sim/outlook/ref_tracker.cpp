#include "sim/outlook/ref_tracker.h"

namespace sw::sim {

std::wstring DescribeRefCounts(const RefCounts& counts) {
    std::wstring text;
    for (const auto& [kind, count] : counts) {
        if (!text.empty())
            text += L"; ";
        text += kind + L": " + std::to_wstring(count.objects) + L" object(s), " +
                std::to_wstring(count.references) + L" reference(s)";
    }
    return text.empty() ? L"none" : text;
}

RefCounts RefTracker::Snapshot() const {
    RefCounts result;
    for (const auto& [kind, count] : m_counts) {
        if (count != RefCount{})
            result.emplace(kind, count);
    }
    return result;
}

} // namespace sw::sim
