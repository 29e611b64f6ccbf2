// Everything one simulated Outlook process owns. Every simulated object
// holds a share of it, so an object the add-in keeps after the session has
// ended still finds its data.
#pragma once

#include "sim/outlook/call_log.h"
#include "sim/outlook/fault_plan.h"
#include "sim/outlook/mailbox.h"
#include "sim/outlook/ref_tracker.h"

#include <string>

namespace sw::sim {

struct HostState {
    std::wstring version = L"14.0.0.4760";
    Mailbox mailbox;
    FaultPlan faults;
    CallLog calls;
    RefTracker refs;

    // The leading integer of the version: 11, 12, 14, ...
    long majorVersion() const noexcept {
        long major = 0;
        for (wchar_t c : version) {
            if (c < L'0' || c > L'9')
                break;
            major = major * 10 + (c - L'0');
        }
        return major;
    }
};

} // namespace sw::sim
