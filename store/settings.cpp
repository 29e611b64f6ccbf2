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

Settings g_settings;

void SetSettingsRoot(HKEY root, const std::wstring& maker) {
    g_settings.root = root;
    g_settings.maker = maker;
}

void LoadSettings() {
    Settings& settings = g_settings;
    for (const FlagSetting& flag : kFlagSettings)
        settings.*flag.value = FlagFromDword(ReadSettingDword(
            kSettingsSection, flag.valueName, static_cast<DWORD>(settings.*flag.value)));
    settings.safeDomains =
        ReadSettingText(kSettingsSection, kSafeDomainsValue, settings.safeDomains);

    // What an administrator has set stands in for the user's choice.
    settings.policySet = {};
    for (const FlagSetting& flag : kFlagSettings) {
        if (!flag.policySet)
            continue;
        if (const std::optional<DWORD> policy = ReadPolicyDword(flag.valueName)) {
            settings.*flag.value = FlagFromDword(*policy);
            settings.policySet.*flag.policySet = true;
        }
    }
    if (std::optional<std::wstring> policy = ReadPolicyText(kSafeDomainsValue)) {
        settings.safeDomains = std::move(*policy);
        settings.policySet.safeDomains = true;
    }
}

unique_hkey OpenMakerKey() {
    unique_hkey software;
    if (SW_LOG_IF_WIN32_ERROR(RegOpenKeyExW(g_settings.root, L"software", 0, kSettingsAccess,
                                            software.put())) != ERROR_SUCCESS)
        return {};
    return CreateOrOpen(software.get(), g_settings.maker);
}

unique_hkey OpenSectionKey(const std::wstring& section) {
    unique_hkey maker = OpenMakerKey();
    if (!maker || section.empty())
        return maker;
    return CreateOrOpen(maker.get(), section);
}

DWORD ReadSettingDword(const std::wstring& section, const std::wstring& name, DWORD defaultValue) {
    if (g_settings.maker.empty())
        return defaultValue;
    const unique_hkey key = OpenSectionKey(section);
    if (!key)
        return defaultValue;
    // Stored by hand or by another program, four bytes of any type count.
    return ReadDwordValue(key.get(), name.c_str(), ValueTypes::Any).value_or(defaultValue);
}

std::wstring ReadSettingText(const std::wstring& section, const std::wstring& name,
                             const std::wstring& defaultValue) {
    if (g_settings.maker.empty())
        return defaultValue;
    const unique_hkey key = OpenSectionKey(section);
    if (!key)
        return defaultValue;
    return ReadTextValue(key.get(), name.c_str(), ValueTypes::Any).value_or(defaultValue);
}

bool WriteSettingDword(const std::wstring& section, const std::wstring& name, DWORD value) {
    if (g_settings.maker.empty())
        return false;
    const unique_hkey key = OpenSectionKey(section);
    if (!key)
        return false;
    return SW_LOG_IF_WIN32_ERROR(RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&value),
                                                sizeof value)) == ERROR_SUCCESS;
}

bool WriteSettingText(const std::wstring& section, const std::wstring& name,
                      const std::wstring& text) {
    if (g_settings.maker.empty())
        return false;
    const unique_hkey key = OpenSectionKey(section);
    if (!key)
        return false;
    return SW_LOG_IF_WIN32_ERROR(RegSetValueExW(
               key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)))) == ERROR_SUCCESS;
}

} // namespace sw
