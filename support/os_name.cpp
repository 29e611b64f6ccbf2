#include "support/os_name.h"

#include "platform/diagnostics.h"
#include "platform/text_format.h"

#include <cwchar>
#include <iterator>

namespace sw {
namespace {

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "extended version record");
static_assert(sizeof(OSVERSIONINFOW) == 276, "basic version record");

std::wstring Windows9xName(DWORD minor, wchar_t servicePackMark) {
    switch (minor) {
    case 0:
        return servicePackMark == L'C' || servicePackMark == L'B' ? L"Microsoft Windows 95 OSR2 "
                                                                  : L"Microsoft Windows 95 ";
    case 10:
        return servicePackMark == L'A' || servicePackMark == L'B' ? L"Microsoft Windows 98 SE "
                                                                  : L"Microsoft Windows 98 ";
    case 90:
        return L"Microsoft Windows Millennium Edition";
    default:
        return {};
    }
}

std::wstring WindowsNtName(DWORD major, DWORD minor) {
    if (major <= 4)
        return L"Microsoft Windows NT ";
    if (major == 5) {
        switch (minor) {
        case 0:
            return L"Microsoft Windows 2000 ";
        case 1:
            return L"Microsoft Windows XP ";
        case 2:
            return L"Microsoft Windows XP Professional x64 Edition / Microsoft Windows Server "
                   L"2003, ";
        }
    } else if (major == 6) {
        switch (minor) {
        case 0:
            return L"Windows Vista / Windows Server 2008 ";
        case 1:
            return L"Windows 7 / Windows Server 2008 R2 ";
        }
    }
    return {};
}

// Windows 8 and later: the name Windows gives itself, then its version.
std::wstring LaterWindowsNtName(const OsVersion& version) {
    const wchar_t* name = nullptr;
    if (version.major == 6 && version.minor == 2)
        name = L"Windows 8 ";
    else if (version.major == 6 && version.minor == 3)
        name = L"Windows 8.1 ";
    else if (version.major == 10 && version.minor == 0)
        name = version.build >= 22000 ? L"Windows 11 " : L"Windows 10 ";
    else if (version.major > 10 || (version.major == 10 && version.minor > 0))
        name = L"Windows ";
    if (!name)
        return {};
    return FormatText(L"%ls%lu.%lu.%lu ", name, version.major, version.minor, version.build);
}

bool AskRtlGetVersion(OsVersion& version) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto query = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                                   reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                             : nullptr;
    if (!query)
        return false;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (query(&info) != 0)
        return false;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    return true;
}

// Process-wide: a test seam, replaced only by SetTrueVersionSource.
TrueVersionSource g_trueVersion = &AskRtlGetVersion;

} // namespace

TrueVersionSource SetTrueVersionSource(TrueVersionSource source) noexcept {
    const TrueVersionSource previous = g_trueVersion;
    g_trueVersion = source ? source : &AskRtlGetVersion;
    return previous;
}

std::wstring OsNameFromVersion(const OsVersion& version) {
    switch (version.platformId) {
    case VER_PLATFORM_WIN32s:
        return L"Microsoft Win32s";
    case VER_PLATFORM_WIN32_WINDOWS: {
        if (version.major != 4)
            return {};
        // The Windows 95 and 98 updates mark themselves in the second character.
        const wchar_t mark = version.servicePack.size() > 1 ? version.servicePack[1] : L'\0';
        return Windows9xName(version.minor, mark);
    }
    case VER_PLATFORM_WIN32_NT:
        if (version.major > 6 || (version.major == 6 && version.minor >= 2))
            return LaterWindowsNtName(version);
        return WindowsNtName(version.major, version.minor);
    default:
        return {};
    }
}

std::wstring GetOsName() noexcept {
    try {
        OSVERSIONINFOEXW info{};
        auto* record = reinterpret_cast<OSVERSIONINFOW*>(&info);
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
        if (!GetVersionExW(record)) {
            // Systems before NT 4 SP6 know only the basic record.
            info = OSVERSIONINFOEXW{};
            info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
            if (!GetVersionExW(record))
                return {};
        }
        OsVersion version;
        version.platformId = info.dwPlatformId;
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.build = info.dwBuildNumber;
        // 6.2 may stand for any later system: ask for the true version.
        if (version.platformId == VER_PLATFORM_WIN32_NT &&
            (version.major > 6 || (version.major == 6 && version.minor >= 2))) {
            OsVersion truth = version;
            if (g_trueVersion(truth))
                version = truth;
        }
        version.servicePack.assign(info.szCSDVersion,
                                   wcsnlen(info.szCSDVersion, std::size(info.szCSDVersion)));
        return OsNameFromVersion(version);
    } catch (...) {
        SW_LOG_CAUGHT();
        return {};
    }
}

} // namespace sw
