#include "sim/outlook/call_log.h"

#include <objbase.h>

namespace sw::sim {

std::wstring IidText(const IID& iid) {
    wchar_t buffer[40] = {};
    StringFromGUID2(iid, buffer, 40);
    return buffer;
}

std::wstring CallRecord::text() const {
    std::wstring result = object + L"." + member;
    if (isQuery())
        result += L"(" + IidText(iid) + L")";
    return result;
}

void CallLog::RecordInvoke(const std::wstring& object, const std::wstring& member) {
    m_records.push_back({object, member, kNoIid});
}

void CallLog::RecordQuery(const std::wstring& object, const IID& iid) {
    if (iid == IID_IUnknown || iid == IID_IDispatch)
        return;
    m_records.push_back({object, L"QueryInterface", iid});
}

std::vector<std::wstring> CallLog::lines() const {
    std::vector<std::wstring> result;
    for (const auto& record : m_records)
        result.push_back(record.text());
    return result;
}

unsigned CallLog::Occurrence(size_t index) const {
    if (index >= m_records.size())
        return 0;
    unsigned count = 0;
    for (size_t i = 0; i <= index; ++i) {
        if (m_records[i] == m_records[index])
            ++count;
    }
    return count;
}

} // namespace sw::sim
