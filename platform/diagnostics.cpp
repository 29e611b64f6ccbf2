#include "platform/diagnostics.h"

#include "platform/file_io.h"
#include "platform/policy.h"
#include "platform/unique_handle.h"
#include "platform/utf8.h"

#include <cstdio>
#include <new>
#include <string>

namespace sw {
namespace {

// Set only by tests, before anything is logged; below store/, so not in g_host.
std::wstring g_logFolderOverride;

HANDLE OpenForAppend(const std::wstring& path) {
    // Shared for reading, writing and renaming: a second Outlook process,
    // or a viewer, never locks the other out.
    return CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

void AppendToLogFile(const std::string& line) {
    const std::wstring path = LogFilePath();
    if (path.empty())
        return;
    CreateFolders(path.substr(0, path.find_last_of(L'\\')));
    unique_handle file(OpenForAppend(path));
    if (!file)
        return;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) &&
        static_cast<ULONGLONG>(size.QuadPart) >= kLogFileLimit) {
        // One older file is kept; whichever process renames first starts the
        // new one, the others follow it.
        file.reset();
        MoveFileExW(path.c_str(), (path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING);
        file.reset(OpenForAppend(path));
        if (!file)
            return;
    }
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void Record(LogLevel needed, const std::wstring& text) noexcept {
    try {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        wchar_t stamp[64];
        swprintf(stamp, 64, L"%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", now.wYear, now.wMonth,
                 now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                 GetCurrentProcessId());
        const std::wstring line = stamp + text + L"\r\n";
        OutputDebugStringW((L"Spamwarden: " + line).c_str());
        if (static_cast<DWORD>(CurrentLogLevel()) >= static_cast<DWORD>(needed)) {
            std::string bytes;
            AppendUtf8(bytes, line);
            AppendToLogFile(bytes);
        }
    } catch (...) {
        // Out of memory while recording: the failure goes unrecorded.
    }
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* c = text; c && *c; ++c)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return wide;
}

} // namespace

LogLevel CurrentLogLevel() noexcept {
    std::optional<DWORD> level = ReadPolicyDword(kLogLevelValue);
    if (!level)
        level = ReadRegistryDword(HKEY_CURRENT_USER, kProductSettingsKey, 0, kLogLevelValue);
    if (!level)
        return LogLevel::Off;
    return *level >= 2 ? LogLevel::Commands : static_cast<LogLevel>(*level);
}

void detail::LogFailure(const char* file, int line, const wchar_t* operation, long code, bool win32,
                        const wchar_t* kind) noexcept {
    try {
        wchar_t number[64];
        swprintf(number, 64, win32 ? L"Win32 error %ld" : L"0x%08lX", code);
        std::wstring text = L"failure: ";
        if (kind)
            text += std::wstring(kind) + L" ";
        text += std::wstring(operation ? operation : L"") + L": " + number + L" at " + Widen(file) +
                L":" + std::to_wstring(line);
        Record(LogLevel::Failures, text);
    } catch (...) {
        // Out of memory while composing the record: it goes unrecorded.
    }
}

HRESULT detail::LogCaughtException(const char* file, int line) noexcept {
    HRESULT code = E_UNEXPECTED;
    const wchar_t* what = L"unknown exception";
    try {
        throw;
    } catch (const CodedError& error) {
        code = error.code();
        what = L"exception";
    } catch (const std::bad_alloc&) {
        code = E_OUTOFMEMORY;
        what = L"out of memory";
    } catch (const std::exception&) {
        code = E_FAIL;
        what = L"C++ exception";
    } catch (...) {
        // Of no known kind: recorded as E_UNEXPECTED.
    }
    LogFailure(file, line, what, code);
    return code;
}

void LogCommandSummary(const std::wstring& text) noexcept {
    Record(LogLevel::Commands, text);
}

void detail::LogLookFailure(const char* file, int line, const wchar_t* operation,
                            DWORD code) noexcept {
    try {
        wchar_t number[64];
        swprintf(number, 64, L"Win32 error %lu", code);
        Record(LogLevel::Commands, L"look: " + std::wstring(operation ? operation : L"") + L": " +
                                       number + L" at " + Widen(file) + L":" +
                                       std::to_wstring(line));
    } catch (...) {
        // Out of memory while composing the record: it goes unrecorded.
    }
}

std::wstring SetLogFolder(const std::wstring& folder) {
    std::wstring previous = g_logFolderOverride;
    g_logFolderOverride = folder;
    return previous;
}

std::wstring LogFilePath() {
    const std::wstring folder =
        g_logFolderOverride.empty() ? AddinDataFolder() : g_logFolderOverride;
    return folder.empty() ? std::wstring() : folder + L"\\Spamwarden.log";
}

} // namespace sw
