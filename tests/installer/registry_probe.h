// Reads the registry of the test's own bitness (the package's view), or the
// other view, to compare it with what an installation should have written.
#pragma once

#include "tests/installer/expected_registration.h"

#include <windows.h>

#include <string>

namespace sw::test {

// KEY_WOW64_32KEY in a 64-bit process, KEY_WOW64_64KEY in a 32-bit one.
REGSAM OtherRegistryView();

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0);

// Empty when the registry holds `entry` as expected, else what differs.
std::wstring Mismatch(const RegistryEntry& entry);

// For test messages: the text with every character above 0x7F as '?'.
std::string Narrow(const std::wstring& text);

} // namespace sw::test
