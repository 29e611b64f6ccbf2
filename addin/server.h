// The in-process server's registration: COM class, ProgIDs, the host's
// add-in key and the type library.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace sw {

// Full path of the module this code is linked into.
std::wstring ModulePath();

// What the registration script's "%NAME%" markers stand for: MODULE, the
// module at `modulePath`; CLSID and LIBID, the class and type library ids of
// the type library description, in braces.
std::vector<std::pair<std::wstring, std::wstring>>
ScriptReplacements(const std::wstring& modulePath);

// Runs the registration script, then registers the type library; stops at
// the first failure and returns its HRESULT.
[[nodiscard]] HRESULT RegisterServer() noexcept;
// Removes what RegisterServer wrote; always S_OK.
[[nodiscard]] HRESULT UnregisterServer() noexcept;

} // namespace sw
