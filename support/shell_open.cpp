#include "support/shell_open.h"

#include "platform/diagnostics.h"

#include <windows.h>

#include <shellapi.h>

namespace sw {
namespace {

void OpenWithShell(const std::wstring& target) {
    // ShellExecute answers a value above 32 on success, an error code below.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        SW_LOG_WIN32(L"ShellExecuteW(open)", result);
}

// Process-wide: a test seam, replaced only by SetShellOpener.
ShellOpener g_opener = &OpenWithShell;

} // namespace

void ShellOpen(const std::wstring& target) noexcept {
    try {
        g_opener(target);
    } catch (...) {
        // Opening is best effort; nothing is shown.
        SW_LOG_CAUGHT();
    }
}

ShellOpener SetShellOpener(ShellOpener opener) noexcept {
    ShellOpener previous = g_opener;
    g_opener = opener ? opener : &OpenWithShell;
    return previous;
}

} // namespace sw
