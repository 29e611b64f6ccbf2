// The add-in's own settings: their one value in memory, `g_settings`, and
// their store under HKEY_CURRENT_USER\software\<maker>\<section>.
#pragma once

#include "platform/product_key.h"
#include "platform/registry_key.h"

#include <windows.h>

#include <string>

namespace sw {

inline constexpr const wchar_t* kSettingsMaker = kProductMaker;
inline constexpr const wchar_t* kSettingsSection = kProductName;
inline constexpr wchar_t kSynListsValue[] = L"SYN_LISTS";
inline constexpr wchar_t kHasSafeDomainsValue[] = L"HasSafeDomains";
inline constexpr wchar_t kSafeDomainsValue[] = L"SafeDomains";
inline constexpr wchar_t kMoveEarlierValue[] = L"MoveEarlier";
inline constexpr wchar_t kMoveNewMailValue[] = L"MoveNewMail";

// The built-in safe-domain list: eleven large public mail providers.
const std::wstring& BuiltInSafeDomains();

// Which settings an administrator has set by Group Policy: the policy's
// value stands in for the user's, and the Options page shows the control
// disabled.
struct PolicySettings {
    bool hasSafeDomains = false;
    bool safeDomains = false;
    bool moveEarlier = false;
    bool moveNewMail = false;
};

// The settings as a freshly loaded module has them, until start-up reads
// the stored ones over these defaults.
struct Settings {
    // "Synchronize blocked senders lists for all the email accounts"; stored
    // and shown, consulted by nothing.
    bool synLists = true;
    // The safe-domain exception of Block Domains, and its domains in
    // separator form ("@a.example;@b.example").
    bool hasSafeDomains = true;
    std::wstring safeDomains = BuiltInSafeDomains();
    // Whether the commands also move earlier messages from the senders they
    // block.
    bool moveEarlier = false;
    // Whether new mail from senders blocked since Outlook started is moved
    // to Junk E-mail as it arrives.
    bool moveNewMail = true;
    PolicySettings policySet;
    // Where the settings are stored: <root>\software\<maker>\...; no maker
    // until start-up sets it, and until then no setting touches the registry.
    HKEY root = HKEY_CURRENT_USER;
    std::wstring maker;
};

// The settings in force. Only the host's UI thread touches them; the Options
// sheet edits a copy and puts it here on OK.
extern Settings g_settings;

// A setting that is a flag: its registry value, its member, and its mark in
// PolicySettings (none: no policy sets it). LoadSettings and the Options
// page go through this table, so a new flag is a member and a row.
struct FlagSetting {
    const wchar_t* valueName;
    bool Settings::*value;
    bool PolicySettings::*policySet;
};
inline constexpr FlagSetting kFlagSettings[] = {
    {kSynListsValue, &Settings::synLists, nullptr},
    {kHasSafeDomainsValue, &Settings::hasSafeDomains, &PolicySettings::hasSafeDomains},
    {kMoveEarlierValue, &Settings::moveEarlier, &PolicySettings::moveEarlier},
    {kMoveNewMailValue, &Settings::moveNewMail, &PolicySettings::moveNewMail},
};

inline bool IsSetByPolicy(const Settings& settings, const FlagSetting& flag) noexcept {
    return flag.policySet && settings.policySet.*flag.policySet;
}

// Sets the registry root and maker word; until then reads give their
// default and writes fail without touching the registry.
void SetSettingsRoot(HKEY root, const std::wstring& maker);

// Open keys with read, set-value and create-subkey access, or none.
unique_hkey OpenMakerKey();
unique_hkey OpenSectionKey(const std::wstring& section);

DWORD ReadSettingDword(const std::wstring& section, const std::wstring& name, DWORD defaultValue);
std::wstring ReadSettingText(const std::wstring& section, const std::wstring& name,
                             const std::wstring& defaultValue);
[[nodiscard]] bool WriteSettingDword(const std::wstring& section, const std::wstring& name,
                                     DWORD value);
[[nodiscard]] bool WriteSettingText(const std::wstring& section, const std::wstring& name,
                                    const std::wstring& text);

// A stored flag: 0 is off, anything else on.
inline bool FlagFromDword(DWORD value) noexcept {
    return value != 0;
}

// Reads the stored settings into g_settings, each falling back on its value
// in memory when it is not stored or cannot be read; then a Group Policy
// value, where an administrator has set one, overrides the user's
// (policySet tells which).
void LoadSettings();

} // namespace sw
