// One run of the simulated Outlook: the mailbox, the fault plan, the call
// log, the reference tracker and the Application object that add-ins get.
//
//   sw::sim::OutlookSession outlook(L"14.0.0.4760");
//   auto& box = outlook.mailbox();
//   auto& mail = box.AddMail(box.Inbox(), L"ann@example.org", {L"me@example.com"});
//   box.Select({&mail});
//   sw::com_ptr<IDispatch> app = outlook.Application();
#pragma once

#include "host/com_ptr.h"
#include "sim/outlook/host_state.h"

#include <oaidl.h>

#include <memory>
#include <string>

namespace sw::sim {

class OutlookSession {
public:
    explicit OutlookSession(std::wstring version = L"14.0.0.4760");
    ~OutlookSession();
    OutlookSession(const OutlookSession&) = delete;
    OutlookSession& operator=(const OutlookSession&) = delete;

    // A new reference to the session's one Application object.
    com_ptr<IDispatch> Application() const { return m_application; }

    Mailbox& mailbox() noexcept { return m_host->mailbox; }
    FaultPlan& faults() noexcept { return m_host->faults; }
    CallLog& calls() noexcept { return m_host->calls; }
    // Live objects and outstanding references by kind; the session's own
    // reference to the Application object is among them.
    RefCounts References() const { return m_host->refs.Snapshot(); }

    const std::wstring& version() const noexcept { return m_host->version; }
    void SetVersion(std::wstring version) { m_host->version = std::move(version); }

    // For objects that later work adds to the simulation.
    const std::shared_ptr<HostState>& hostShare() const noexcept { return m_host; }

private:
    std::shared_ptr<HostState> m_host;
    com_ptr<IDispatch> m_application;
};

} // namespace sw::sim
