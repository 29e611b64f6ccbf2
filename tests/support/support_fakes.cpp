#include "tests/support/support_fakes.h"

#include <cwchar>
#include <iterator>

namespace sw::test {
namespace {

std::vector<std::wstring> g_shellTargets;

void RecordShellTarget(const std::wstring& target) {
    g_shellTargets.push_back(target);
}

struct VersionAnswer {
    int failures = 0;
    OSVERSIONINFOW record{};
    std::vector<DWORD> sizes;
} g_version;

BOOL WINAPI FakeGetVersionExW(OSVERSIONINFOW* info) {
    g_version.sizes.push_back(info->dwOSVersionInfoSize);
    if (static_cast<int>(g_version.sizes.size()) <= g_version.failures ||
        (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
         info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const DWORD size = info->dwOSVersionInfoSize;
    *info = g_version.record; // the basic part, common to both records
    info->dwOSVersionInfoSize = size;
    return TRUE;
}

} // namespace

ShellRecorder::ShellRecorder() : m_previous(SetShellOpener(&RecordShellTarget)) {
    g_shellTargets.clear();
}

ShellRecorder::~ShellRecorder() {
    SetShellOpener(m_previous);
    g_shellTargets.clear();
}

const std::vector<std::wstring>& ShellRecorder::targets() const {
    return g_shellTargets;
}

void ShellRecorder::clear() {
    g_shellTargets.clear();
}

VersionQueryFake::VersionQueryFake(int failures, DWORD platformId, DWORD major, DWORD minor,
                                   const std::wstring& servicePack)
    : m_patch("kernel32.dll", "GetVersionExW", reinterpret_cast<void*>(&FakeGetVersionExW)) {
    g_version = VersionAnswer{};
    g_version.failures = failures;
    g_version.record.dwPlatformId = platformId;
    g_version.record.dwMajorVersion = major;
    g_version.record.dwMinorVersion = minor;
    wcsncpy(g_version.record.szCSDVersion, servicePack.c_str(),
            std::size(g_version.record.szCSDVersion) - 1);
}

VersionQueryFake::~VersionQueryFake() {
    g_version = VersionAnswer{};
}

const std::vector<DWORD>& VersionQueryFake::recordSizes() const {
    return g_version.sizes;
}

} // namespace sw::test
