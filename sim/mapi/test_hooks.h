// Test-only interface of SimMapi.dll: the counts behind its leak checks.
// Tests load SimMapi.dll themselves (which also keeps it, and so the counts,
// alive while mapi32 loads and unloads it) and call the export by name.
#pragma once

#include <windows.h>

struct SimMapiCounts {
    LONG profAdmins;         // live IProfAdmin objects
    LONG tables;             // live IMAPITable objects
    LONG buffers;            // live blocks of the MAPI allocator, linked ones included
    LONG adminProfilesCalls; // MAPIAdminProfiles calls that returned an object
    LONG buffersAllocated;   // blocks the MAPI allocator ever handed out
};

// Exported undecorated as "SimMapiGetCounts".
using SimMapiGetCountsFn = void(WINAPI*)(SimMapiCounts* counts);
inline constexpr char kSimMapiGetCountsName[] = "SimMapiGetCounts";
