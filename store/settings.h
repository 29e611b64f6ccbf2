// The add-in's own settings under HKEY_CURRENT_USER\software\<maker>\<section>.
// Their values in memory are part of the add-in's state (store/state.h).
#pragma once

#include "platform/product_key.h"
#include "store/state.h"

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

// Sets the registry root and maker word; until then reads give their
// default and writes fail without touching the registry.
void SetSettingsRoot(HKEY root, const std::wstring& maker);

// Open keys with read, set-value and create-subkey access, or nullptr. The
// caller closes what it gets.
HKEY OpenMakerKey();
HKEY OpenSectionKey(const std::wstring& section);

DWORD ReadSettingDword(const std::wstring& section, const std::wstring& name, DWORD defaultValue);
std::wstring ReadSettingText(const std::wstring& section, const std::wstring& name,
                             const std::wstring& defaultValue);
[[nodiscard]] bool WriteSettingDword(const std::wstring& section, const std::wstring& name,
                                     DWORD value);
[[nodiscard]] bool WriteSettingText(const std::wstring& section, const std::wstring& name,
                                    const std::wstring& text);

// A stored flag: 0 is off, anything else on.
inline int FlagFromDword(DWORD value) noexcept {
    return value != 0 ? 1 : 0;
}

// Reads the five stored settings into memory, each falling back on its
// value in memory when it is not stored or cannot be read; then a Group
// Policy value, where an administrator has set one, overrides the user's
// (g_policySet tells which).
void LoadSettings();

} // namespace sw
