// Live simulated objects and their outstanding references, by object kind.
#pragma once

#include <map>
#include <string>

namespace sw::sim {

struct RefCount {
    long objects = 0;    // objects alive
    long references = 0; // AddRef calls not yet matched by a Release
    friend bool operator==(const RefCount&, const RefCount&) = default;
};

// Kinds with no live object and no reference are left out, so two
// snapshots compare equal when every count is back where it was.
using RefCounts = std::map<std::wstring, RefCount>;

// "Explorer: 1 object, 2 references; ..." or "none".
std::wstring DescribeRefCounts(const RefCounts& counts);

class RefTracker {
public:
    void Created(const std::wstring& kind) { ++m_counts[kind].objects; }
    void Destroyed(const std::wstring& kind) { --m_counts[kind].objects; }
    void AddedRef(const std::wstring& kind) { ++m_counts[kind].references; }
    void Released(const std::wstring& kind) { --m_counts[kind].references; }

    RefCounts Snapshot() const;

private:
    RefCounts m_counts;
};

} // namespace sw::sim
