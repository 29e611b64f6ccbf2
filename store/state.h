// Process-wide state of the blocked-senders store. One instance each, created
// empty when the module loads; everything runs on the host's UI thread.
#pragma once

#include <string>
#include <vector>

namespace sw {

// Host major version; 0 until start-up completes.
extern int g_hostVersion;
// Name of the default MAPI profile: the %s of every profile registry path.
extern std::wstring g_profileName;
// The profile's mail-account key names (host version 14 and up).
extern std::vector<std::wstring> g_accountKeys;
// Every entry the blocking commands appended since the module was loaded.
extern std::vector<std::wstring> g_blockedSinceLoad;

} // namespace sw
