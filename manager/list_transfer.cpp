#include "manager/list_transfer.h"

#include "platform/file_io.h"
#include "platform/file_replacement.h"
#include "platform/utf8.h"
#include "store/list_capacity.h"

#include <windows.h>

#include <algorithm>
#include <new>

namespace sw {
namespace {

// Skipped lines quote at most this much of the line in the report.
constexpr size_t kQuotedLength = 60;
constexpr size_t kReportedLines = 10;

// A skipped line as the message shows it: long lines shortened, control
// characters (which a message box would render as nothing, or act on) shown
// as a replacement mark.
std::wstring Quote(const std::wstring& text) {
    std::wstring quoted = text;
    if (quoted.size() > kQuotedLength) {
        size_t keep = kQuotedLength - 1;
        if (quoted[keep - 1] >= 0xD800 && quoted[keep - 1] <= 0xDBFF)
            --keep; // never half a surrogate pair
        quoted.resize(keep);
        quoted.push_back(L'\x2026');
    }
    for (wchar_t& c : quoted) {
        if (IsControlCharacter(c))
            c = L'\xFFFD';
    }
    return quoted;
}

std::wstring Report(size_t added, size_t alreadyListed, const std::vector<SkippedLine>& skipped) {
    std::wstring report = L"Imported " + GroupedNumber(added) +
                          (added == 1 ? L" entry; " : L" entries; ") +
                          GroupedNumber(alreadyListed) + (alreadyListed == 1 ? L" was" : L" were") +
                          L" already listed.";
    if (skipped.empty())
        return report;
    report += L"\n\nSkipped " + GroupedNumber(skipped.size()) +
              (skipped.size() == 1 ? L" line:" : L" lines:");
    const size_t shown = std::min(skipped.size(), kReportedLines);
    for (size_t i = 0; i < shown; ++i) {
        report += L"\nline " + GroupedNumber(skipped[i].line) + L": " + Quote(skipped[i].text) +
                  L" (" + skipped[i].reason + L")";
    }
    if (skipped.size() > shown)
        report += L"\nand " + GroupedNumber(skipped.size() - shown) + L" more";
    return report;
}

// ExportBytes, passing std::bad_alloc on. A lone surrogate, which UTF-8
// cannot hold, is written as U+FFFD.
std::string EncodeEntries(const std::vector<std::wstring>& entries) {
    size_t length = 0;
    for (const std::wstring& entry : entries)
        length += entry.size() + 2;
    std::string bytes;
    bytes.reserve(length);
    for (const std::wstring& entry : entries) {
        AppendUtf8(bytes, entry);
        bytes += "\r\n";
    }
    return bytes;
}

std::wstring ReadErrorText(const std::wstring& path, DWORD error) {
    switch (error) {
    case ERROR_FILE_TOO_LARGE:
        return L"the file is larger than " + std::to_wstring(kImportFileLimit / (1024 * 1024)) +
               L" MB";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return L"the file is in use by another program";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return L"the file was not found";
    case ERROR_ACCESS_DENIED: {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return L"this is a folder, not a file";
        break;
    }
    case ERROR_INVALID_FUNCTION: // ReadWholeFile's answer for a device
        return L"this is not a file on a disk";
    case ERROR_NOT_ENOUGH_MEMORY:
        return kNotEnoughMemory;
    }
    return Win32ErrorText(error);
}

// `error` = "<path>: <reason>".
void SetFileError(std::wstring& error, const std::wstring& path,
                  std::wstring_view reason) noexcept {
    try {
        error.assign(path).append(L": ").append(reason);
    } catch (const std::bad_alloc&) {
        error.clear();
    }
}

} // namespace

bool ImportListFile(const std::wstring& path, ImportedLines& result, std::wstring& error) {
    result = {};
    error.clear();
    try {
        std::wstring text;
        {
            std::string bytes;
            if (const DWORD readError = ReadWholeFile(path, kImportFileLimit, bytes)) {
                SetFileError(error, path, ReadErrorText(path, readError));
                return false;
            }
            std::wstring reason;
            if (!DecodeListFile(bytes, text, reason)) {
                SetFileError(error, path, reason);
                return false;
            }
        }
        result = ReadImportedLines(text);
        return true;
    } catch (const std::bad_alloc&) {
        result = {};
        SetFileError(error, path, kNotEnoughMemory);
        return false;
    }
}

std::wstring ImportReport(size_t added, size_t alreadyListed,
                          const std::vector<SkippedLine>& skipped) {
    try {
        return Report(added, alreadyListed, skipped);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string ExportBytes(const std::vector<std::wstring>& entries) {
    try {
        return EncodeEntries(entries);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool ExportListFile(const std::wstring& path, const std::vector<std::wstring>& entries,
                    std::wstring& error) {
    error.clear();
    DWORD writeError = ERROR_SUCCESS;
    try {
        writeError = WriteFileAtomically(path, EncodeEntries(entries));
    } catch (const std::bad_alloc&) {
        writeError = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (writeError == ERROR_SUCCESS)
        return true;
    SetFileError(error, path, Win32ErrorText(writeError));
    return false;
}

} // namespace sw
