#include "platform/file_io.h"

#include "platform/unique_handle.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <new>

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

// A new, empty file beside the target, deleted again when the object goes
// unless Keep() was called. Its handle is closed before it is deleted.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        m_file.reset();
        if (!m_path.empty() && !m_kept)
            DeleteFileW(m_path.c_str());
    }

    // Creates the file in `folder` under a name no other file has.
    DWORD Create(const std::wstring& folder) {
        static std::atomic<unsigned> s_counter{static_cast<unsigned>(GetTickCount64())};
        for (int attempt = 0; attempt < 100; ++attempt) {
            wchar_t name[64];
            std::swprintf(name, 64, L"~spamwarden-%lx-%x.tmp", GetCurrentProcessId(),
                          s_counter.fetch_add(1));
            std::wstring path = folder + name;
            m_file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            if (m_file) {
                m_path = std::move(path);
                return ERROR_SUCCESS;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                return error;
        }
        return ERROR_FILE_EXISTS;
    }

    DWORD Write(std::string_view bytes) {
        while (!bytes.empty()) {
            const auto wanted = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
            DWORD written = 0;
            if (!WriteFile(m_file.get(), bytes.data(), wanted, &written, nullptr))
                return GetLastError();
            if (written == 0)
                return ERROR_WRITE_FAULT;
            bytes.remove_prefix(written);
        }
        if (!FlushFileBuffers(m_file.get()))
            return GetLastError();
        return m_file.close() ? ERROR_SUCCESS : GetLastError();
    }

    const std::wstring& Path() const noexcept { return m_path; }
    void Keep() noexcept { m_kept = true; }

private:
    unique_handle m_file;
    std::wstring m_path;
    bool m_kept = false;
};

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
    if (const DWORD error = CheckReplaceable(path))
        return error;
    TemporaryFile temporary;
    if (const DWORD error = temporary.Create(FolderOf(path)))
        return error;
    if (const DWORD error = temporary.Write(bytes))
        return error;

    if (!Exists(path)) {
        const DWORD error = MoveIntoPlace(temporary.Path(), path);
        if (error == ERROR_SUCCESS)
            temporary.Keep();
        return error;
    }
    // ReplaceFileW keeps the replaced file's attributes, security and
    // streams, which a plain rename would lose.
    if (ReplaceFileW(path.c_str(), temporary.Path().c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        temporary.Keep();
        return ERROR_SUCCESS;
    }
    const DWORD replaceError = GetLastError();
    switch (replaceError) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        // The target is already gone and the temporary file holds the only
        // copy of the text: put it in place, and never delete it.
        temporary.Keep();
        return MoveIntoPlace(temporary.Path(), path);
    case ERROR_UNABLE_TO_REMOVE_REPLACED: // both files still under their own names
    case ERROR_FILE_NOT_FOUND:            // the target went away meanwhile
    case ERROR_NOT_SUPPORTED:             // file systems without the call
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_PARAMETER:
        if (MoveIntoPlace(temporary.Path(), path) == ERROR_SUCCESS) {
            temporary.Keep();
            return ERROR_SUCCESS;
        }
        return replaceError;
    default:
        return replaceError;
    }
}

struct LocalFreer {
    void operator()(wchar_t* text) const noexcept { LocalFree(text); }
};

} // namespace

DWORD ReadWholeFile(const std::wstring& path, size_t limit, std::string& bytes) {
    bytes.clear();
    // Shared for writing and deleting too, so that a file another program
    // holds open (a log being written, an editor's copy) is still read.
    unique_handle file(CreateFileW(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
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

DWORD WriteFileAtomically(const std::wstring& path, std::string_view bytes) {
    try {
        return WriteAtomically(path, bytes);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

std::wstring Win32ErrorText(DWORD error) {
    try {
        wchar_t* buffer = nullptr;
        const DWORD length =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        const std::unique_ptr<wchar_t, LocalFreer> owned(buffer);
        std::wstring text(owned ? owned.get() : L"", owned ? length : 0);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
            text.pop_back();
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
        folder = std::wstring(path) + L"\\Tallpine\\Spamwarden";
    CoTaskMemFree(path);
    return folder;
}

void CreateFolders(const std::wstring& folder) {
    if (!folder.empty() && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
}

} // namespace sw
