#include "addin/host_state.h"

#include "outlook/host_call.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"

#include <cwctype>

namespace sw {

int ParseHostVersion(const std::wstring& text) noexcept {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 0x7FFFFFFF)
            value = 0x7FFFFFFF; // an absurd version must not overflow
    }
    return static_cast<int>(negative ? -value : value);
}

void LearnHostVersion(IDispatch* application) {
    g_host.capabilities = HostCapabilities(ParseHostVersion(GetText(application, L"Version")));
}

void LearnProfileAndSettings() {
    // Without a default profile g_host.profileName stays empty: the commands then
    // tell the user when they read the list, and Outlook's closing writes nothing.
    g_host.profileName = DefaultProfileName();
    // Found afresh, so that a reconnection does not write each account twice.
    g_host.accountKeys = FindAccountKeys({g_host.profileName, g_host.capabilities, {}});
    SetSettingsRoot(HKEY_CURRENT_USER, kSettingsMaker);
    // What the user stored counts from the first command on, not only once
    // the Options sheet has been opened.
    LoadSettings();
}

} // namespace sw
