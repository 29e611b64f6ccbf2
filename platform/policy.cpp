#include "platform/policy.h"

#include "platform/diagnostics.h"
#include "platform/product_key.h"
#include "platform/registry_key.h"
#include "platform/registry_value.h"

namespace sw {
namespace {

// Longer texts are no setting of ours.
constexpr DWORD kTextLimit = 4096;

// Where a scope's policies are: the machine's in the 64-bit view, which
// Group Policy writes whatever the reader's bitness.
struct PolicyKey {
    HKEY root;
    REGSAM view;
};
PolicyKey KeyOf(PolicyScope scope) noexcept {
    return scope == PolicyScope::Machine ? PolicyKey{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}
                                         : PolicyKey{HKEY_CURRENT_USER, 0};
}

std::optional<std::wstring> ReadText(HKEY root, const wchar_t* path, REGSAM view,
                                     const wchar_t* name) {
    unique_hkey key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    return ReadTextValue(key.get(), name, ValueTypes::Exact, kTextLimit);
}

} // namespace

std::optional<DWORD> ReadRegistryDword(HKEY root, const wchar_t* path, REGSAM view,
                                       const wchar_t* name) noexcept {
    unique_hkey key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    return ReadDwordValue(key.get(), name);
}

std::optional<DWORD> ReadPolicyDword(const wchar_t* name) noexcept {
    for (const PolicyScope scope : {PolicyScope::Machine, PolicyScope::User}) {
        const PolicyKey key = KeyOf(scope);
        if (auto value = ReadRegistryDword(key.root, kProductPolicyKey, key.view, name))
            return value;
    }
    return std::nullopt;
}

std::optional<std::wstring> ReadPolicyText(const wchar_t* name) {
    if (auto value = ReadPolicyText(name, PolicyScope::Machine))
        return value;
    return ReadPolicyText(name, PolicyScope::User);
}

std::optional<std::wstring> ReadPolicyText(const wchar_t* name, PolicyScope scope) {
    const PolicyKey key = KeyOf(scope);
    return ReadText(key.root, kProductPolicyKey, key.view, name);
}

std::optional<std::wstring> ReadMachineText(const wchar_t* name) {
    return ReadText(HKEY_LOCAL_MACHINE, kProductSettingsKey, 0, name);
}

} // namespace sw
