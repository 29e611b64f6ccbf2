#include "store/state.h"

#include "store/settings.h"

namespace sw {

com_ptr<IDispatch> g_hostApp;
int g_hostVersion = 0;
std::wstring g_profileName;
std::vector<std::wstring> g_accountKeys;
std::vector<std::wstring> g_blockedSinceLoad;
NewBlockedEntries g_newBlockedEntries;
int g_synLists = 1;
int g_hasSafeDomains = 1;
std::wstring g_safeDomains = BuiltInSafeDomains();
int g_moveEarlier = 0;
int g_moveNewMail = 1;
PolicySettings g_policySet;
HKEY g_settingsRoot = HKEY_CURRENT_USER;
std::wstring g_settingsMaker;
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
    g_synLists = 1;
    g_hasSafeDomains = 1;
    g_safeDomains = BuiltInSafeDomains();
    g_moveEarlier = 0;
    g_moveNewMail = 1;
    g_policySet = {};
    g_settingsRoot = HKEY_CURRENT_USER;
    g_settingsMaker.clear();
    g_commandRunning = 0;
    g_capacityWarned = 0;
    g_toolbarStep = 0;
}

} // namespace sw
