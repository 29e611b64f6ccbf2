#include "support/shell_open.h"

#include <windows.h>

#include <shellapi.h>

namespace sw {
namespace {

void OpenWithShell(const std::wstring& target) {
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ShellOpener g_opener = &OpenWithShell;

} // namespace

void ShellOpen(const std::wstring& target) noexcept {
    try {
        g_opener(target);
    } catch (...) {
        // Opening is best effort; nothing is reported.
    }
}

ShellOpener SetShellOpener(ShellOpener opener) noexcept {
    ShellOpener previous = g_opener;
    g_opener = opener ? opener : &OpenWithShell;
    return previous;
}

} // namespace sw
