#include "platform/file_io.h"

#include "platform/product_key.h"
#include "platform/system_message.h"
#include "platform/unique_handle.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

namespace sw {
namespace {

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
        const auto wanted = static_cast<DWORD>(std::min(buffer.size() - total, kMaxFileTransfer));
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

} // namespace

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
