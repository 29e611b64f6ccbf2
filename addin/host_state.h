// What the add-in learns of its host once the host has started, kept in
// g_host (store/state.h) until disconnection: what the host can do, from its
// major version, then the default profile's name, the profile's account keys
// and the user's settings.
#pragma once

#include <oaidl.h>

#include <string>

namespace sw {

// Host major version from the application's version text ("14.0.0.4760"):
// leading white space, an optional sign, then digits; no digit gives 0.
int ParseHostVersion(const std::wstring& text) noexcept;

// Sets g_host.capabilities from the application's Version.
void LearnHostVersion(IDispatch* application);

// Sets g_host.profileName, g_host.accountKeys and the settings. The account keys are
// collected afresh, so that a reconnection does not write each account twice.
void LearnProfileAndSettings();

} // namespace sw
