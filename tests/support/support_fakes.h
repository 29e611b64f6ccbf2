// Stand-ins for the shell and the system version query in the Help and
// Support tests.
#pragma once

#include "support/shell_open.h"
#include "tests/harness/import_patch.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sw::test {

// Records what would be handed to the shell, for its lifetime.
class ShellRecorder {
public:
    ShellRecorder();
    ~ShellRecorder();
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    const std::vector<std::wstring>& targets() const;
    void clear();

private:
    ShellOpener m_previous;
};

// Replaces GetVersionExW: the first `failures` calls fail, later ones report
// the given version. Records the size field of every call.
class VersionQueryFake {
public:
    VersionQueryFake(int failures, DWORD platformId, DWORD major, DWORD minor,
                     const std::wstring& servicePack = L"");
    ~VersionQueryFake();
    VersionQueryFake(const VersionQueryFake&) = delete;
    VersionQueryFake& operator=(const VersionQueryFake&) = delete;

    const std::vector<DWORD>& recordSizes() const;

private:
    ImportPatch m_patch;
};

} // namespace sw::test
