// The one way the add-in hands a file or a link to the shell.
#pragma once

#include <string>

namespace sw {

// Asks the shell to perform "open" on `target` (a file path or a mailto link),
// shown normally, without parameters or working folder. The shell's result is
// ignored: a missing file or program shows whatever the shell shows.
void ShellOpen(const std::wstring& target) noexcept;

using ShellOpener = void (*)(const std::wstring& target);
// Replaces the opener; returns the previous one. nullptr restores the shell.
ShellOpener SetShellOpener(ShellOpener opener) noexcept;

} // namespace sw
