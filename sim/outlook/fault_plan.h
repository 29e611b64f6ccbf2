// Faults a test makes the simulated host produce: a named operation that
// fails or answers nothing on its Nth call, or an interface query that fails.
#pragma once

#include "sim/outlook/call_log.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace sw::sim {

enum class FaultAction {
    Fail,             // the call fails with the fault's HRESULT; the operation does not happen
    ReturnEmpty,      // the operation happens, the call succeeds and answers VT_EMPTY
    ReturnNullObject, // the operation happens, the call succeeds and answers a null VT_DISPATCH
};

// One rule. Built with the factories and refined with the chained setters:
//   Fault::Fail(L"Item", E_FAIL).On(L"Recipients").OnCall(2)
// Without OnCall/FromCall the rule applies to every matching call.
class Fault {
public:
    static Fault Fail(std::wstring member, HRESULT hr);
    static Fault ReturnEmpty(std::wstring member);
    static Fault ReturnNullObject(std::wstring member);
    // QueryInterface for `iid` fails with `hr` and yields a null pointer.
    static Fault FailQuery(const IID& iid, HRESULT hr = E_NOINTERFACE);
    // Fails exactly the call that `log` recorded at `index` when the same run
    // is repeated on a fresh session: same object kind, member and occurrence.
    static Fault FailRecorded(const CallLog& log, size_t index, HRESULT hr);

    // Only calls on objects of this kind ("Selection", "Recipients", ...).
    Fault& On(std::wstring objectKind);
    // Only the nth matching call after the rule was added (1-based).
    Fault& OnCall(unsigned n);
    // The nth matching call and every later one.
    Fault& FromCall(unsigned n);

    FaultAction action() const noexcept { return m_action; }
    HRESULT hr() const noexcept { return m_hr; }

private:
    friend class FaultPlan;
    Fault() = default;
    bool Matches(const std::wstring& object, const std::wstring& member, const IID& iid) const;

    FaultAction m_action = FaultAction::Fail;
    HRESULT m_hr = S_OK;
    std::wstring m_member; // empty for a query rule
    IID m_iid = kNoIid;    // set for a query rule
    std::wstring m_object; // empty: any kind
    unsigned m_first = 1;
    bool m_repeat = true;
    unsigned m_seen = 0;  // matching calls since the rule was added
    unsigned m_fired = 0; // times it applied
};

class FaultPlan {
public:
    void Add(const Fault& fault) { m_faults.push_back(fault); }
    void Clear() noexcept { m_faults.clear(); }
    // How often the rules applied so far, all together.
    unsigned firedCount() const noexcept;

    // Called by the objects for every call and query; counts the call for
    // each matching rule and answers the first rule that applies, if any.
    std::optional<Fault> OnInvoke(const std::wstring& object, const std::wstring& member);
    std::optional<HRESULT> OnQuery(const std::wstring& object, const IID& iid);

private:
    std::optional<Fault> Apply(const std::wstring& object, const std::wstring& member,
                               const IID& iid);

    std::vector<Fault> m_faults;
};

// Case-insensitive comparison of member and kind names, as Outlook's name lookup.
bool SameName(const std::wstring& a, const std::wstring& b) noexcept;

} // namespace sw::sim
