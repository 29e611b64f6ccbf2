// Live-object and live-buffer counts of the simulated provider, kept so that
// tests can check that every object and every buffer handed out came back.
#pragma once

#include <windows.h>

namespace sw::simmapi {

struct Counters {
    LONG profAdmins = 0;         // live IProfAdmin objects
    LONG tables = 0;             // live IMAPITable objects
    LONG buffers = 0;            // live blocks of the MAPI allocator, linked ones included
    LONG adminProfilesCalls = 0; // MAPIAdminProfiles calls that returned an object
    LONG buffersAllocated = 0;   // blocks the allocator ever handed out
};

extern Counters g_counters;

} // namespace sw::simmapi
