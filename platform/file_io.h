// Whole-file reads, the add-in's data folder, and the text of a Win32 error.
// Files are written through file_replacement.h.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace sw {

// ReadFile and WriteFile take a DWORD count; larger buffers go in pieces.
inline constexpr size_t kMaxFileTransfer = 1u << 30;

// Reads the whole file at `path` into `bytes`, refusing files larger than
// `limit` bytes (ERROR_FILE_TOO_LARGE). Answers ERROR_SUCCESS or the Win32
// error that stopped it; `bytes` is left empty on failure. The file is
// shared for reading, writing and deleting; one that changes size while it
// is read is read to its end as it is then. A device (not a file on a disk)
// answers ERROR_INVALID_FUNCTION without being read.
[[nodiscard]] DWORD ReadWholeFile(const std::wstring& path, size_t limit, std::string& bytes);
// Bytes [from, to) of the file at `path`, shared alike; ERROR_HANDLE_EOF when
// the file is shorter.
[[nodiscard]] DWORD ReadFileRange(const std::wstring& path, ULONGLONG from, ULONGLONG to,
                                  std::string& bytes);

// The add-in's folder for the user's own files (its log, its history):
// %LOCALAPPDATA%\Tallpine\Spamwarden, whether or not it exists yet; ""
// when the system cannot say where that is.
std::wstring AddinDataFolder();

// Creates `folder` and any missing folder above it, unless it exists.
// Failures show in what is then written there.
void CreateFolders(const std::wstring& folder);

// The system's text for a Win32 error, without its final line break;
// "error N" when the system has none.
std::wstring Win32ErrorText(DWORD error);

} // namespace sw
