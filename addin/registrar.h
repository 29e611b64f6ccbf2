// Runs the module's registration script: a small tree of registry keys and
// values in the familiar "rgs" notation.
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove '%CLSID%' = s 'Connect Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Registering creates every key and sets its values; a ForceRemove key is
// deleted with its subkeys first. Unregistering deletes every key not marked
// NoRemove, with its subkeys; NoRemove keys stay and only their children are
// visited. Names holding braces are quoted; "%NAME%" markers stand for texts
// the caller gives (the module's full path, the class id).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace sw {

struct ScriptValue {
    std::wstring name; // empty: the key's default value
    bool isDword = false;
    std::wstring text;
    DWORD number = 0;
};

struct ScriptKey {
    std::wstring name;
    bool noRemove = false;
    bool forceRemove = false;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> children;
};

struct ScriptRoot {
    HKEY root = nullptr;
    std::vector<ScriptKey> keys;
};

// Parses `script`, replacing each "%NAME%" by its replacement. Throws
// std::invalid_argument with a description on a malformed script.
std::vector<ScriptRoot>
ParseRegistrationScript(std::wstring_view script,
                        const std::vector<std::pair<std::wstring, std::wstring>>& replacements);

// Registers the tree; stops at the first failure and returns its HRESULT.
[[nodiscard]] HRESULT RegisterScript(const std::vector<ScriptRoot>& roots) noexcept;
// Removes what the tree registers; failures are ignored.
void UnregisterScript(const std::vector<ScriptRoot>& roots) noexcept;

} // namespace sw
