#include "store/policy.h"

#include "platform/diagnostics.h"
#include "platform/registry_key.h"

#include <vector>

namespace sw {
namespace {

constexpr wchar_t kMachineSettingsKey[] = L"SOFTWARE\\Tallpine\\Spamwarden";
// Longer texts are no setting of ours.
constexpr DWORD kTextLimit = 4096;

// `view` is the registry view to open `path` in (KEY_WOW64_64KEY, or 0 for
// the module's own).
std::optional<DWORD> ReadDword(HKEY root, const wchar_t* path, REGSAM view, const wchar_t* name) {
    unique_hkey key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadText(HKEY root, const wchar_t* path, REGSAM view,
                                     const wchar_t* name) {
    unique_hkey key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<wchar_t> buffer(kTextLimit + 1);
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_SZ, nullptr, buffer.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
}

} // namespace

std::optional<DWORD> ReadPolicyDword(const wchar_t* name) {
    if (auto value = ReadDword(HKEY_LOCAL_MACHINE, kLogPolicyKey, KEY_WOW64_64KEY, name))
        return value;
    return ReadDword(HKEY_CURRENT_USER, kLogPolicyKey, 0, name);
}

std::optional<std::wstring> ReadPolicyText(const wchar_t* name) {
    if (auto value = ReadPolicyText(name, PolicyScope::Machine))
        return value;
    return ReadPolicyText(name, PolicyScope::User);
}

std::optional<std::wstring> ReadPolicyText(const wchar_t* name, PolicyScope scope) {
    if (scope == PolicyScope::Machine)
        return ReadText(HKEY_LOCAL_MACHINE, kLogPolicyKey, KEY_WOW64_64KEY, name);
    return ReadText(HKEY_CURRENT_USER, kLogPolicyKey, 0, name);
}

std::optional<std::wstring> ReadMachineText(const wchar_t* name) {
    return ReadText(HKEY_LOCAL_MACHINE, kMachineSettingsKey, 0, name);
}

} // namespace sw
