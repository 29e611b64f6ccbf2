#include "store/state.h"

namespace sw {

int g_hostVersion = 0;
std::wstring g_profileName;
std::vector<std::wstring> g_accountKeys;
std::vector<std::wstring> g_blockedSinceLoad;

} // namespace sw
