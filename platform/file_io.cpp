#include "platform/file_io.h"

#include "platform/product_key.h"
#include "platform/system_message.h"
#include "platform/unique_handle.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <new>
#include <utility>

namespace sw {
namespace {

// ReadFile and WriteFile take a DWORD count; larger buffers go in pieces.
constexpr size_t kMaxTransfer = 1u << 30;

bool Exists(const std::wstring& path) noexcept {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD ReadAll(HANDLE file, size_t limit, std::string& bytes) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size))
        return GetLastError();
    const auto expected = static_cast<unsigned long long>(size.QuadPart);
    if (expected > limit)
        return ERROR_FILE_TOO_LARGE;

    // The size is only a hint: another program may be writing the file. One
    // byte past the limit is enough to tell a file that grew too large.
    const size_t cap = limit == SIZE_MAX ? limit : limit + 1;
    std::string buffer(static_cast<size_t>(std::min<unsigned long long>(expected + 1, cap)), '\0');
    size_t total = 0;
    for (;;) {
        if (total == buffer.size()) {
            if (buffer.size() >= cap)
                break;
            buffer.resize(std::min(cap, std::max<size_t>(buffer.size() * 2, 64 * 1024)));
        }
        const auto wanted = static_cast<DWORD>(std::min(buffer.size() - total, kMaxTransfer));
        DWORD got = 0;
        if (!ReadFile(file, buffer.data() + total, wanted, &got, nullptr))
            return GetLastError();
        if (got == 0)
            break; // the end of the file
        total += got;
    }
    if (total > limit)
        return ERROR_FILE_TOO_LARGE;
    buffer.resize(total);
    bytes = std::move(buffer);
    return ERROR_SUCCESS;
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
        const auto wanted = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
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

namespace {

// Shared for writing and deleting too, so that a file another program holds
// open (a log being written, an editor's copy) is still read.
unique_handle OpenForReading(const std::wstring& path) noexcept {
    return unique_handle(CreateFileW(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

} // namespace

DWORD ReadWholeFile(const std::wstring& path, size_t limit, std::string& bytes) {
    bytes.clear();
    unique_handle file = OpenForReading(path);
    if (!file)
        return GetLastError();
    // A device ("CON", "COM1", a pipe) has no size and may wait for input
    // forever; only files on disk are read.
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        return ERROR_INVALID_FUNCTION;
    try {
        return ReadAll(file.get(), limit, bytes);
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD ReadFileRange(const std::wstring& path, ULONGLONG from, ULONGLONG to, std::string& bytes) {
    bytes.clear();
    unique_handle file = OpenForReading(path);
    if (!file)
        return GetLastError();
    LARGE_INTEGER offset = {};
    offset.QuadPart = static_cast<LONGLONG>(from);
    if (!SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN))
        return GetLastError();
    try {
        bytes.resize(static_cast<size_t>(to - from));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    size_t total = 0;
    while (total < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total),
                      &got, nullptr))
            return GetLastError();
        if (got == 0)
            return ERROR_HANDLE_EOF;
        total += got;
    }
    return ERROR_SUCCESS;
}

DWORD WriteFileAtomically(const std::wstring& path, std::string_view bytes) {
    try {
        return WriteAtomically(path, bytes);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

std::wstring Win32ErrorText(DWORD error) {
    try {
        const std::wstring text = SystemMessageText(error);
        return text.empty() ? L"error " + std::to_wstring(error) : text;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::wstring AddinDataFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(
            SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DONT_VERIFY, nullptr, &path)) &&
        path)
        folder = std::wstring(path) + L"\\" + kProductKeyPath;
    CoTaskMemFree(path);
    return folder;
}

void CreateFolders(const std::wstring& folder) {
    if (!folder.empty() && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
}

} // namespace sw
