#include "store/state.h"

#include "store/settings.h"

namespace sw {

com_ptr<IDispatch> g_hostApp;
int g_hostVersion = 0;
std::wstring g_profileName;
std::vector<std::wstring> g_accountKeys;
std::vector<std::wstring> g_blockedSinceLoad;
NewBlockedEntries g_newBlockedEntries;
int g_commandRunning = 0;
int g_capacityWarned = 0;
int g_toolbarStep = 0;

void ResetAddinState() {
    g_hostApp = nullptr;
    g_hostVersion = 0;
    g_profileName.clear();
    g_accountKeys.clear();
    g_blockedSinceLoad.clear();
    g_newBlockedEntries.Clear();
    g_settings = {};
    g_commandRunning = 0;
    g_capacityWarned = 0;
    g_toolbarStep = 0;
}

} // namespace sw
