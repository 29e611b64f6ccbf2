#include "store/settings.h"

#include "platform/diagnostics.h"
#include "platform/policy.h"
#include "platform/registry_key.h"
#include "platform/registry_value.h"

namespace sw {
namespace {

constexpr REGSAM kSettingsAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

unique_hkey CreateOrOpen(HKEY parent, const std::wstring& name) {
    unique_hkey key;
    if (SW_LOG_IF_WIN32_ERROR(RegCreateKeyExW(parent, name.c_str(), 0, nullptr,
                                              REG_OPTION_NON_VOLATILE, kSettingsAccess, nullptr,
                                              key.put(), nullptr)) != ERROR_SUCCESS)
        key.reset();
    return key;
}

} // namespace

const std::wstring& BuiltInSafeDomains() {
    static const std::wstring list = L"@gmail.com;@yahoo.com;@hotmail.com;@outlook.com;@live.com;"
                                     L"@msn.com;@aol.com;@icloud.com;@gmx.com;@mail.com;"
                                     L"@yandex.com";
    return list;
}

void SetSettingsRoot(HKEY root, const std::wstring& maker) {
    g_settingsRoot = root;
    g_settingsMaker = maker;
}

void LoadSettings() {
    g_synLists = FlagFromDword(
        ReadSettingDword(kSettingsSection, kSynListsValue, static_cast<DWORD>(g_synLists)));
    g_hasSafeDomains = FlagFromDword(ReadSettingDword(kSettingsSection, kHasSafeDomainsValue,
                                                      static_cast<DWORD>(g_hasSafeDomains)));
    g_safeDomains = ReadSettingText(kSettingsSection, kSafeDomainsValue, g_safeDomains);
    g_moveEarlier = FlagFromDword(
        ReadSettingDword(kSettingsSection, kMoveEarlierValue, static_cast<DWORD>(g_moveEarlier)));
    g_moveNewMail = FlagFromDword(
        ReadSettingDword(kSettingsSection, kMoveNewMailValue, static_cast<DWORD>(g_moveNewMail)));

    // What an administrator has set stands in for the user's choice.
    g_policySet = {};
    if (const std::optional<DWORD> policy = ReadPolicyDword(kHasSafeDomainsValue)) {
        g_hasSafeDomains = FlagFromDword(*policy);
        g_policySet.hasSafeDomains = true;
    }
    if (std::optional<std::wstring> policy = ReadPolicyText(kSafeDomainsValue)) {
        g_safeDomains = std::move(*policy);
        g_policySet.safeDomains = true;
    }
    if (const std::optional<DWORD> policy = ReadPolicyDword(kMoveEarlierValue)) {
        g_moveEarlier = FlagFromDword(*policy);
        g_policySet.moveEarlier = true;
    }
    if (const std::optional<DWORD> policy = ReadPolicyDword(kMoveNewMailValue)) {
        g_moveNewMail = FlagFromDword(*policy);
        g_policySet.moveNewMail = true;
    }
}

HKEY OpenMakerKey() {
    unique_hkey software;
    if (SW_LOG_IF_WIN32_ERROR(RegOpenKeyExW(g_settingsRoot, L"software", 0, kSettingsAccess,
                                            software.put())) != ERROR_SUCCESS)
        return nullptr;
    return CreateOrOpen(software.get(), g_settingsMaker).release();
}

HKEY OpenSectionKey(const std::wstring& section) {
    unique_hkey maker(OpenMakerKey());
    if (!maker || section.empty())
        return maker.release();
    return CreateOrOpen(maker.get(), section).release();
}

DWORD ReadSettingDword(const std::wstring& section, const std::wstring& name, DWORD defaultValue) {
    if (g_settingsMaker.empty())
        return defaultValue;
    unique_hkey key(OpenSectionKey(section));
    if (!key)
        return defaultValue;
    // Stored by hand or by another program, four bytes of any type count.
    return ReadDwordValue(key.get(), name.c_str(), ValueTypes::Any).value_or(defaultValue);
}

std::wstring ReadSettingText(const std::wstring& section, const std::wstring& name,
                             const std::wstring& defaultValue) {
    if (g_settingsMaker.empty())
        return defaultValue;
    unique_hkey key(OpenSectionKey(section));
    if (!key)
        return defaultValue;
    return ReadTextValue(key.get(), name.c_str(), ValueTypes::Any).value_or(defaultValue);
}

bool WriteSettingDword(const std::wstring& section, const std::wstring& name, DWORD value) {
    if (g_settingsMaker.empty())
        return false;
    unique_hkey key(OpenSectionKey(section));
    if (!key)
        return false;
    return SW_LOG_IF_WIN32_ERROR(RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&value),
                                                sizeof value)) == ERROR_SUCCESS;
}

bool WriteSettingText(const std::wstring& section, const std::wstring& name,
                      const std::wstring& text) {
    if (g_settingsMaker.empty())
        return false;
    unique_hkey key(OpenSectionKey(section));
    if (!key)
        return false;
    return SW_LOG_IF_WIN32_ERROR(RegSetValueExW(
               key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)))) == ERROR_SUCCESS;
}

} // namespace sw
