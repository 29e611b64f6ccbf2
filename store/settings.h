// The add-in's own settings under HKEY_CURRENT_USER\software\<maker>\<section>,
// and their in-memory values.
#pragma once

#include <windows.h>

#include <string>

namespace sw {

// "Synchronize blocked senders lists for all the email accounts".
extern int g_synLists;
// The safe-domain exception of Block Domains is on.
extern int g_hasSafeDomains;
// Safe-domain list, separator form ("@a.example;@b.example").
extern std::wstring g_safeDomains;

inline constexpr wchar_t kSettingsMaker[] = L"Tallpine";
inline constexpr wchar_t kSettingsSection[] = L"Spamwarden";
inline constexpr wchar_t kSynListsValue[] = L"SYN_LISTS";
inline constexpr wchar_t kHasSafeDomainsValue[] = L"HasSafeDomains";
inline constexpr wchar_t kSafeDomainsValue[] = L"SafeDomains";

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
bool WriteSettingDword(const std::wstring& section, const std::wstring& name, DWORD value);
bool WriteSettingText(const std::wstring& section, const std::wstring& name,
                      const std::wstring& text);

// A stored flag: 0 is off, anything else on.
inline int FlagFromDword(DWORD value) noexcept {
    return value != 0 ? 1 : 0;
}

// Back to the state of a freshly loaded module (tests and module unload).
void ResetSettingsState();

} // namespace sw
