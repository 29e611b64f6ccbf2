#include "sim/outlook/fault_plan.h"

namespace sw::sim {

bool SameName(const std::wstring& a, const std::wstring& b) noexcept {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

Fault Fault::Fail(std::wstring member, HRESULT hr) {
    Fault f;
    f.m_action = FaultAction::Fail;
    f.m_hr = hr;
    f.m_member = std::move(member);
    return f;
}

Fault Fault::ReturnEmpty(std::wstring member) {
    Fault f;
    f.m_action = FaultAction::ReturnEmpty;
    f.m_member = std::move(member);
    return f;
}

Fault Fault::ReturnNullObject(std::wstring member) {
    Fault f;
    f.m_action = FaultAction::ReturnNullObject;
    f.m_member = std::move(member);
    return f;
}

Fault Fault::FailQuery(const IID& iid, HRESULT hr) {
    Fault f;
    f.m_action = FaultAction::Fail;
    f.m_hr = hr;
    f.m_iid = iid;
    return f;
}

Fault Fault::FailRecorded(const CallLog& log, size_t index, HRESULT hr) {
    const CallRecord& record = log.records().at(index);
    Fault f = record.isQuery() ? FailQuery(record.iid, hr) : Fail(record.member, hr);
    f.On(record.object).OnCall(log.Occurrence(index));
    return f;
}

Fault& Fault::On(std::wstring objectKind) {
    m_object = std::move(objectKind);
    return *this;
}

Fault& Fault::OnCall(unsigned n) {
    m_first = n;
    m_repeat = false;
    return *this;
}

Fault& Fault::FromCall(unsigned n) {
    m_first = n;
    m_repeat = true;
    return *this;
}

bool Fault::Matches(const std::wstring& object, const std::wstring& member, const IID& iid) const {
    if (!m_object.empty() && !SameName(m_object, object))
        return false;
    if (m_iid != kNoIid)
        return member.empty() && iid == m_iid;
    return !member.empty() && SameName(m_member, member);
}

unsigned FaultPlan::firedCount() const noexcept {
    unsigned total = 0;
    for (const auto& fault : m_faults)
        total += fault.m_fired;
    return total;
}

std::optional<Fault> FaultPlan::OnInvoke(const std::wstring& object, const std::wstring& member) {
    return Apply(object, member, kNoIid);
}

std::optional<HRESULT> FaultPlan::OnQuery(const std::wstring& object, const IID& iid) {
    if (auto fault = Apply(object, std::wstring(), iid))
        return fault->hr();
    return std::nullopt;
}

std::optional<Fault> FaultPlan::Apply(const std::wstring& object, const std::wstring& member,
                                      const IID& iid) {
    std::optional<Fault> result;
    for (auto& fault : m_faults) {
        if (!fault.Matches(object, member, iid))
            continue;
        ++fault.m_seen;
        bool applies =
            fault.m_repeat ? fault.m_seen >= fault.m_first : fault.m_seen == fault.m_first;
        if (applies && !result) {
            ++fault.m_fired;
            result = fault;
        }
    }
    return result;
}

} // namespace sw::sim
