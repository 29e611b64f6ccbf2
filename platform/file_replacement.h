// Atomic replacement of files: at once, or in steps for a writer that must
// hold others up only for the last one.
#pragma once

#include "platform/unique_handle.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace sw {

// Writes `bytes` to a new temporary file beside `path`, then puts it in
// place of `path` (replacing an existing file in one step). Answers
// ERROR_SUCCESS or the Win32 error; on failure `path` is as it was and the
// temporary file is gone.
[[nodiscard]] DWORD WriteFileAtomically(const std::wstring& path, std::string_view bytes);

// WriteFileAtomically in steps, for a writer that must hold others up only
// for the last one: Start creates the temporary file beside `path`
// (refusing, as WriteFileAtomically does, a target that could not be
// replaced), Append adds to it, Flush puts what it holds on the disk, and
// Commit flushes what is not yet and puts it in place of `path` in one step.
// Each answers ERROR_SUCCESS or the Win32 error. Until Commit succeeds
// `path` is as it was; the temporary file of a replacement not committed is
// deleted with the object.
class FileReplacement {
public:
    explicit FileReplacement(std::wstring path);
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement();

    [[nodiscard]] DWORD Start();
    [[nodiscard]] DWORD Append(std::string_view bytes);
    [[nodiscard]] DWORD Flush();
    [[nodiscard]] DWORD Commit();

    // Gives the file now at `path` a second name beside it until the object
    // goes, so that Commit only takes a name from it, and the data of the
    // file it replaced is freed when the object goes (a large file's takes
    // milliseconds), by the thread that destroys it. Optional: a file
    // system without hard links refuses it, and Commit then works as
    // without it.
    [[nodiscard]] DWORD LinkTarget();

private:
    [[nodiscard]] DWORD PutInPlace();

    std::wstring m_path;
    std::wstring m_temporary; // "" once in place (or never created)
    std::wstring m_link;      // LinkTarget's name
    unique_handle m_file;
    bool m_unflushed = false;
    bool m_committed = false;
};

} // namespace sw
