// The add-in's process-wide state, all of it in one place.
//
// Lifetime: each value exists once per process, from module load to module
// unload, and starts as ResetAddinState() leaves it. Only the host's UI
// thread touches them, so none is locked or atomic. OnConnection sets
// g_hostApp and OnDisconnection releases it; start-up sets the host version,
// the profile name, the account keys (collected afresh each time) and the
// settings root, then reads the stored settings over the defaults. The
// blocking commands add to g_blockedSinceLoad, which lives until unload so
// that a later connection can still write back what the list has lost.
#pragma once

#include "platform/com_ptr.h"
#include "store/new_entries.h"

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace sw {

// The host's _Application while the add-in is connected.
extern com_ptr<IDispatch> g_hostApp;
// Host major version; 0 until start-up completes.
extern int g_hostVersion;
// Name of the default MAPI profile: the %s of every profile registry path.
extern std::wstring g_profileName;
// The profile's mail-account key names (host version 14 and up).
extern std::vector<std::wstring> g_accountKeys;
// Every entry the blocking commands appended since the module was loaded.
extern std::vector<std::wstring> g_blockedSinceLoad;
// The entries of the stored Blocked Senders list that Outlook's junk filter
// has not read yet, whoever wrote them (a command or the Options sheet):
// kept in step by every write of the list.
extern NewBlockedEntries g_newBlockedEntries;

// Set while Block Senders or Block Domains started from the ribbon, the
// toolbar or the multiple-selection context items runs.
extern int g_commandRunning;
// The highest capacity level of the Blocked Senders list (CapacityLevel:
// 1 past 90 %, 2 past the limit) that a command has warned about since the
// module was loaded; each level is told once.
extern int g_capacityWarned;
// The stage the toolbar build has reached, reported by its failure messages:
// 219 command bars, 225 the bar, 241 its controls and each button's control,
// 290 style, 293 face, 337 click subscription.
extern int g_toolbarStep;

inline IDispatch* HostApp() noexcept {
    return g_hostApp.get();
}

// Puts every value back as a freshly loaded module has it (tests and
// benchmarks start from here).
void ResetAddinState();

} // namespace sw
