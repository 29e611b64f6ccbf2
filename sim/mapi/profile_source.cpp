#include "sim/mapi/profile_source.h"

#include "platform/registry_key.h"

#include <windows.h>

#include <optional>

namespace sw::simmapi {
namespace {

using sw::unique_hkey;

std::optional<DWORD> ReadDword(const wchar_t* path, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, path, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// A REG_SZ (or REG_EXPAND_SZ, unexpanded) value; nothing when missing or empty.
std::optional<std::wstring> ReadText(const std::wstring& path, const wchar_t* name) {
    const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, flags, nullptr, nullptr, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        LONG rc =
            RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, flags, nullptr, text.data(), &size);
        if (rc == ERROR_MORE_DATA)
            continue; // changed meanwhile
        if (rc != ERROR_SUCCESS)
            return std::nullopt;
        text.resize(wcsnlen(text.c_str(), text.size()));
        if (text.empty())
            return std::nullopt;
        return text;
    }
    return std::nullopt;
}

struct Location {
    std::wstring profilesKey;
    std::vector<std::wstring> defaultProfileKeys; // where "DefaultProfile" is looked for, in order
};

Location CurrentLocation() {
    const DWORD version = ReadDword(kConfigKey, kOutlookVersionValue).value_or(0);
    if (version < 15)
        return {kLegacyProfilesKey, {kLegacyProfilesKey}};
    // Outlook 2013 and later: profiles under Office\<N>.0\Outlook\Profiles, the
    // default's name in Office\<N>.0\Outlook.
    const std::wstring outlookKey =
        L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Outlook";
    const std::wstring profilesKey = outlookKey + L"\\Profiles";
    return {profilesKey, {outlookKey, profilesKey}};
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

std::vector<ProfileEntry> ReadProfiles() {
    const Location location = CurrentLocation();
    std::vector<ProfileEntry> profiles;

    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, location.profilesKey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS,
                      key.put()) != ERROR_SUCCESS)
        return profiles;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256]; // registry key names have at most 255 characters
        DWORD length = ARRAYSIZE(name);
        LONG rc =
            RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS)
            profiles.push_back({std::wstring(name, length), false});
        else if (rc != ERROR_MORE_DATA)
            break;
    }

    std::optional<std::wstring> defaultName;
    for (const std::wstring& path : location.defaultProfileKeys) {
        defaultName = ReadText(path, kDefaultProfileValue);
        if (defaultName)
            break;
    }
    if (defaultName) {
        for (ProfileEntry& profile : profiles)
            profile.isDefault = SameName(profile.name, *defaultName);
    }
    return profiles;
}

std::optional<DWORD> ReadConfigDword(const wchar_t* name) {
    return ReadDword(kConfigKey, name);
}

} // namespace sw::simmapi
