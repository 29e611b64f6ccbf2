// The in-process server's registration: COM class, ProgIDs, the host's
// add-in key and the type library.
#pragma once

#include <windows.h>

#include <string>

namespace sw {

// Full path of the module this code is linked into.
std::wstring ModulePath();

// Runs the registration script, then registers the type library; stops at
// the first failure and returns its HRESULT.
HRESULT RegisterServer() noexcept;
// Removes what RegisterServer wrote; always S_OK.
HRESULT UnregisterServer() noexcept;

} // namespace sw
