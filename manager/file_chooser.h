// The common Open and Save As dialogs for the list's Import and Export.
// Tests install a chooser of their own, as they cannot answer the dialogs.
#pragma once

#include <windows.h>

#include <string>

namespace sw {

enum class FileChoice { Open, Save };

// Asks for a text file to read (Open) or to write (Save; replacing an
// existing one is confirmed in the dialog). False when the user cancels.
using FileChooser = bool (*)(HWND owner, FileChoice choice, std::wstring& path);

[[nodiscard]] bool ChooseListFile(HWND owner, FileChoice choice, std::wstring& path) noexcept;

// Replaces the chooser; returns the previous one. nullptr restores the
// common dialogs.
FileChooser SetFileChooser(FileChooser chooser) noexcept;

} // namespace sw
