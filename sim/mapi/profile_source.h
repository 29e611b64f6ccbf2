// Reads the simulated MAPI profiles from the registry under HKEY_CURRENT_USER,
// where real MAPI keeps them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace sw::simmapi {

struct ProfileEntry {
    std::wstring name; // the profile's subkey name
    bool isDefault = false;
};

// HKCU key of the simulation's configuration; its DWORD "OutlookVersion"
// (15 or more) selects the Office\<N>.0\Outlook\Profiles location.
inline constexpr wchar_t kConfigKey[] = L"Software\\Spamwarden Simulation\\MAPI";
inline constexpr wchar_t kOutlookVersionValue[] = L"OutlookVersion";
// Its DWORD "RestrictFailure", when set, is the HRESULT that every table's
// Restrict answers.
inline constexpr wchar_t kRestrictFailureValue[] = L"RestrictFailure";
inline constexpr wchar_t kLegacyProfilesKey[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
inline constexpr wchar_t kDefaultProfileValue[] = L"DefaultProfile";

// One entry per subkey of the profiles key, in the registry's enumeration
// order; the one named by "DefaultProfile" (compared without regard to case)
// is marked. A missing profiles key gives no entries. Reads the configuration
// afresh on every call.
std::vector<ProfileEntry> ReadProfiles();

// The configuration's DWORD `name`, read afresh; nothing when not set.
std::optional<DWORD> ReadConfigDword(const wchar_t* name);

} // namespace sw::simmapi
