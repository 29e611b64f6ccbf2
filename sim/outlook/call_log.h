// The host calls made on the simulated objects, in order.
#pragma once

#include <objbase.h>

#include <string>
#include <vector>

namespace sw::sim {

// No interface: the iid of a record or rule that is not about a query.
inline constexpr IID kNoIid{};

struct CallRecord {
    std::wstring object; // the object's kind: "Application", "Selection", "MailItem", ...
    std::wstring member; // the member's own spelling, or "QueryInterface"
    IID iid = kNoIid;    // the interface asked for by a QueryInterface record

    bool isQuery() const noexcept { return iid != kNoIid; }
    // "Selection.Item", or "MailItem.QueryInterface({00063034-...})".
    std::wstring text() const;
    friend bool operator==(const CallRecord&, const CallRecord&) = default;
};

class CallLog {
public:
    void RecordInvoke(const std::wstring& object, const std::wstring& member);
    // Queries for IUnknown and IDispatch are plumbing and are not recorded.
    void RecordQuery(const std::wstring& object, const IID& iid);

    const std::vector<CallRecord>& records() const noexcept { return m_records; }
    size_t size() const noexcept { return m_records.size(); }
    // One text() per record.
    std::vector<std::wstring> lines() const;
    // Which call of its object kind and member the record at `index` was:
    // 1 for the first such record, 2 for the second, ...
    unsigned Occurrence(size_t index) const;
    void Clear() noexcept { m_records.clear(); }

private:
    std::vector<CallRecord> m_records;
};

std::wstring IidText(const IID& iid);

} // namespace sw::sim
