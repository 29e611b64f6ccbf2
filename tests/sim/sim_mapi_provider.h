// Access to the simulated MAPI provider (sim/mapi, SimMapi.dll) that the test
// prefix registers as the default mail client, and that Wine's mapi32 forwards
// profile administration and the MAPI allocator to.
#pragma once

#include "sim/mapi/test_hooks.h"

#include <windows.h>

#include <string>

namespace sw::test {

// Windows path of the provider as registered under HKLM\Software\Clients\Mail
// (the default client's DLLPathEx); empty when none is registered.
std::wstring RegisteredMapiProviderPath();

// Keeps SimMapi.dll loaded for its lifetime, so that its counts survive mapi32
// unloading and reloading it, and reads those counts.
class SimMapiProvider {
public:
    SimMapiProvider();
    ~SimMapiProvider();
    SimMapiProvider(const SimMapiProvider&) = delete;
    SimMapiProvider& operator=(const SimMapiProvider&) = delete;

    bool loaded() const noexcept { return m_module && m_getCounts; }
    HMODULE module() const noexcept { return m_module; }
    SimMapiCounts counts() const;
    // The provider's own export `name`, or nullptr.
    template <class Fn> Fn proc(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    }

private:
    HMODULE m_module = nullptr;
    SimMapiGetCountsFn m_getCounts = nullptr;
};

// Sample names for the profile tables: the subkeys of the legacy profiles key
// (the location real MAPI uses before Outlook 2013), and the simulation's
// configuration key with its DWORD "OutlookVersion".
inline constexpr wchar_t kLegacyProfilesKey[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
inline constexpr wchar_t kSimMapiConfigKey[] = L"Software\\Spamwarden Simulation\\MAPI";
// "Software\Microsoft\Office\<version>.0\Outlook".
std::wstring OutlookKey(int version);

} // namespace sw::test
