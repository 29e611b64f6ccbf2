#include "store/state.h"

#include "store/settings.h"

namespace sw {

HostState g_host;

void HostState::DropConnection() noexcept {
    hostApp = nullptr;
    capabilities = HostCapabilities();
    profileName.clear();
    accountKeys.clear();
    toolbarStep = 0;
    newMailStoreId.clear();
}

void ResetAddinState() {
    g_host = HostState{};
    g_settings = Settings{};
}

} // namespace sw
