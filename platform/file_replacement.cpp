#include "platform/file_replacement.h"

#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <new>
#include <utility>

namespace sw {
namespace {

bool Exists(const std::wstring& path) noexcept {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The folder of `path` with its separator ("C:\lists\", "C:", ""): where the
// temporary file goes.
std::wstring FolderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

DWORD MoveIntoPlace(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? ERROR_SUCCESS
               : GetLastError();
}

// Whether the file at `path`, if there is one, may be replaced. ReplaceFileW
// must delete it; one that cannot be opened for deleting (open elsewhere
// without sharing that) is refused here with its own error, before anything
// is written or moved, rather than as ReplaceFileW's vaguer one (which on
// Wine also leaves a stray file of its own behind).
DWORD CheckReplaceable(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ERROR_SUCCESS; // nothing to replace, or a folder missing: found out later
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    const unique_handle probe(CreateFileW(path.c_str(), DELETE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (probe)
        return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

DWORD WriteAtomically(const std::wstring& path, std::string_view bytes) {
    FileReplacement replacement(path);
    if (const DWORD error = replacement.Start())
        return error;
    if (const DWORD error = replacement.Append(bytes))
        return error;
    return replacement.Commit();
}

// A name beside `path` for a file of this process's own.
std::wstring NameBeside(const std::wstring& path) {
    // Every writer's, on any thread (the history's compaction too): atomic.
    static std::atomic<unsigned> s_counter{static_cast<unsigned>(GetTickCount64())};
    wchar_t name[64];
    std::swprintf(name, 64, L"~spamwarden-%lx-%x.tmp", GetCurrentProcessId(),
                  s_counter.fetch_add(1));
    return FolderOf(path) + name;
}

// Calls `create` with new names beside `path` until it succeeds, which sets
// `created` to the name, or fails for another reason than the name being
// taken. Answers ERROR_SUCCESS or the Win32 error.
template <typename Create>
DWORD CreateBeside(const std::wstring& path, std::wstring& created, const Create& create) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate = NameBeside(path);
        if (create(candidate)) {
            created = std::move(candidate);
            return ERROR_SUCCESS;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return error;
    }
    return ERROR_FILE_EXISTS;
}

} // namespace

FileReplacement::FileReplacement(std::wstring path) : m_path(std::move(path)) {}

FileReplacement::~FileReplacement() {
    m_file.reset();
    if (!m_temporary.empty())
        DeleteFileW(m_temporary.c_str());
    if (m_link.empty())
        return;
    if (m_committed) {
        // The replaced file's last name. Unless someone still reads it (the
        // open shares nothing), its data is freed here, on this thread,
        // rather than by the deletion, which Wine makes in its server, where
        // the file calls of every other thread wait for it.
        const unique_handle replaced(CreateFileW(m_link.c_str(), GENERIC_WRITE, 0, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (replaced)
            SetEndOfFile(replaced.get());
    }
    DeleteFileW(m_link.c_str());
}

DWORD FileReplacement::Start() {
    if (m_file || !m_temporary.empty())
        return ERROR_INVALID_FUNCTION; // started once already
    if (const DWORD error = CheckReplaceable(m_path))
        return error;
    return CreateBeside(m_path, m_temporary, [&](const std::wstring& candidate) {
        m_file.reset(CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(m_file);
    });
}

DWORD FileReplacement::LinkTarget() {
    if (!m_link.empty())
        return ERROR_SUCCESS;
    return CreateBeside(m_path, m_link, [&](const std::wstring& candidate) {
        return CreateHardLinkW(candidate.c_str(), m_path.c_str(), nullptr) != FALSE;
    });
}

DWORD FileReplacement::Append(std::string_view bytes) {
    if (!m_file)
        return ERROR_INVALID_HANDLE;
    while (!bytes.empty()) {
        const auto wanted = static_cast<DWORD>(std::min(bytes.size(), kMaxFileTransfer));
        DWORD written = 0;
        if (!WriteFile(m_file.get(), bytes.data(), wanted, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_WRITE_FAULT;
        m_unflushed = true;
        bytes.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

DWORD FileReplacement::Flush() {
    if (!m_file)
        return ERROR_INVALID_HANDLE;
    if (!FlushFileBuffers(m_file.get()))
        return GetLastError();
    m_unflushed = false;
    return ERROR_SUCCESS;
}

DWORD FileReplacement::Commit() {
    if (!m_file)
        return ERROR_INVALID_HANDLE;
    // A flush costs even with nothing to write: only when something was.
    if (m_unflushed) {
        if (const DWORD error = Flush())
            return error;
    }
    if (!m_file.close())
        return GetLastError();
    // Checked again: the target may have been opened elsewhere since Start.
    if (const DWORD error = CheckReplaceable(m_path))
        return error;
    const DWORD error = PutInPlace();
    m_committed = error == ERROR_SUCCESS;
    return error;
}

DWORD FileReplacement::PutInPlace() {
    if (!Exists(m_path)) {
        const DWORD error = MoveIntoPlace(m_temporary, m_path);
        if (error == ERROR_SUCCESS)
            m_temporary.clear();
        return error;
    }
    // ReplaceFileW keeps the replaced file's attributes, security and
    // streams, which a plain rename would lose.
    if (ReplaceFileW(m_path.c_str(), m_temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
        m_temporary.clear();
        return ERROR_SUCCESS;
    }
    const DWORD replaceError = GetLastError();
    switch (replaceError) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: {
        // The target is already gone and the temporary file holds the only
        // copy of the text: put it in place, and never delete it.
        const std::wstring temporary = std::exchange(m_temporary, std::wstring());
        return MoveIntoPlace(temporary, m_path);
    }
    case ERROR_UNABLE_TO_REMOVE_REPLACED: // both files still under their own names
    case ERROR_FILE_NOT_FOUND:            // the target went away meanwhile
    case ERROR_NOT_SUPPORTED:             // file systems without the call
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_PARAMETER:
        if (MoveIntoPlace(m_temporary, m_path) == ERROR_SUCCESS) {
            m_temporary.clear();
            return ERROR_SUCCESS;
        }
        return replaceError;
    default:
        return replaceError;
    }
}

DWORD WriteFileAtomically(const std::wstring& path, std::string_view bytes) {
    try {
        return WriteAtomically(path, bytes);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

} // namespace sw
