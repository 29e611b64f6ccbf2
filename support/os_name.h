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
    DWORD build = 0;
    std::wstring servicePack; // the record's service-pack text
};

// The name for `version`, empty for systems the table does not know. NT
// versions after Windows 7 are named as Windows names them, followed by the
// version: "Windows 11 10.0.22631 ".
std::wstring OsNameFromVersion(const OsVersion& version);

// Queries the running system's version; empty when the query fails. The
// version query answers 6.2 on every later system to a module without a
// compatibility manifest, so from 6.2 on the true version is asked for.
std::wstring GetOsName() noexcept;

// Where the true version comes from (RtlGetVersion, which no compatibility
// shim changes): fills major, minor and build, or answers false. Tests
// replace it; nullptr restores it. Answers the previous source.
using TrueVersionSource = bool (*)(OsVersion& version);
TrueVersionSource SetTrueVersionSource(TrueVersionSource source) noexcept;

} // namespace sw
