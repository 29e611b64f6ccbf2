#include "bench/sections.h"

#include "host/command_guard.h"
#include "host/host_app.h"
#include "store/settings.h"
#include "store/state.h"

namespace sw::bench {

void ResetAddinState() {
    g_hostApp = nullptr;
    g_hostVersion = 0;
    g_profileName.clear();
    g_accountKeys.clear();
    g_blockedSinceLoad.clear();
    g_commandRunning = 0;
    ResetSettingsState();
}

} // namespace sw::bench
