// The Windows version text that goes into the support mail.
#pragma once

#include <windows.h>

#include <string>

namespace sw {

// The parts of the system's version record that name the system.
struct OsVersion {
    DWORD platformId = 0;
    DWORD major = 0;
    DWORD minor = 0;
    std::wstring servicePack; // the record's service-pack text
};

// The name for `version`, empty for systems the table does not know
// (Windows 8 and later among them).
std::wstring OsNameFromVersion(const OsVersion& version);

// Queries the running system's version; empty when the query fails.
std::wstring GetOsName() noexcept;

} // namespace sw
