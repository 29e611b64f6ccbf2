// Values an administrator sets for every user: Group Policy under
// HKEY_LOCAL_MACHINE\Software\Policies\Tallpine\Spamwarden (the machine's,
// which win) and HKEY_CURRENT_USER\Software\Policies\Tallpine\Spamwarden,
// and what the package recorded under the machine's Tallpine\Spamwarden key
// in SOFTWARE. A value of the wrong type or size counts as not set.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace sw {

enum class PolicyScope { Machine, User };

// The machine's policy value, else the user's.
std::optional<DWORD> ReadPolicyDword(const wchar_t* name) noexcept;
std::optional<std::wstring> ReadPolicyText(const wchar_t* name);
// The policy value of one scope.
std::optional<std::wstring> ReadPolicyText(const wchar_t* name, PolicyScope scope);

// A text the package wrote for the machine, in the registry view of the
// add-in's own bitness.
std::optional<std::wstring> ReadMachineText(const wchar_t* name);

// The REG_DWORD `name` under `root`\`path`, opened in registry view `view`
// (KEY_WOW64_64KEY, or 0 for the module's own).
std::optional<DWORD> ReadRegistryDword(HKEY root, const wchar_t* path, REGSAM view,
                                       const wchar_t* name) noexcept;

} // namespace sw
