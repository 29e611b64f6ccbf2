// The one diagnostics path: every failure the add-in does not show to the
// user is recorded here, with the operation, its HRESULT or Win32 code and
// the file and line, so that "the button does nothing" leaves a trace.
//
// Records always go to OutputDebugStringW. They also go to the log file
// %LOCALAPPDATA%\Tallpine\Spamwarden\Spamwarden.log when the DWORD
// "LogLevel" is 1 (failures) or 2 (failures and a summary of each command);
// the value is read from HKLM\Software\Policies\Tallpine\Spamwarden, else
// HKCU\Software\Policies\Tallpine\Spamwarden, else
// HKCU\Software\Tallpine\Spamwarden. The file is capped at 1 MB: it is then
// renamed to Spamwarden.log.1 (replacing an older one) and started afresh.
// Nothing here throws or shows a window.
#pragma once

#include "platform/product_key.h"

#include <windows.h>

#include <exception>
#include <string>

namespace sw {

// An exception that carries an HRESULT (HostError is one), so that a caught
// failure is recorded with its code.
class CodedError : public std::exception {
public:
    explicit CodedError(HRESULT code) noexcept : m_code(code) {}
    HRESULT code() const noexcept { return m_code; }
    const char* what() const noexcept override { return "operation failed"; }

private:
    HRESULT m_code;
};

// Where a call was made. As a default argument, `CallSite where =
// CallSite::Here()` takes the file and line of the function's caller: what
// std::source_location does, which the clang of scripts/tidy.sh lacks.
struct CallSite {
    const char* file;
    int line;
    static constexpr CallSite Here(const char* file = __builtin_FILE(),
                                   int line = __builtin_LINE()) noexcept {
        return {file, line};
    }
};

enum class LogLevel : DWORD {
    Off = 0,
    Failures = 1,
    Commands = 2, // failures and each command's summary
};

inline constexpr wchar_t kLogLevelValue[] = L"LogLevel";
inline constexpr ULONGLONG kLogFileLimit = 1024 * 1024;

// The level in force now; values above 2 count as 2.
LogLevel CurrentLogLevel() noexcept;

// Records a command's summary at level 2 ("Block Senders: 3 items, ...").
void LogCommandSummary(const std::wstring& text) noexcept;
// The log file's folder; an empty folder restores the default. Tests point
// it into a scratch folder. Answers the previous setting.
std::wstring SetLogFolder(const std::wstring& folder);
// The log file's full path ("" when the folder cannot be found).
std::wstring LogFilePath();

// What the macros below call, with the caller's file and line; code outside
// this file goes through the macros (host_call.cpp, which records a host
// call at its caller's CallSite, is the one exception).
namespace detail {
// Records the failure `code` of `operation` at file:line. `code` is an
// HRESULT, or a Win32 error code when `win32` is set; `kind`, when given,
// goes before the operation ("host call" "Move").
void LogFailure(const char* file, int line, const wchar_t* operation, long code, bool win32 = false,
                const wchar_t* kind = nullptr) noexcept;
// Records the exception being handled and answers its code: a CodedError's
// own, E_OUTOFMEMORY, E_FAIL for another C++ exception, else E_UNEXPECTED.
// Call it only inside a catch block.
HRESULT LogCaughtException(const char* file, int line) noexcept;
// Records, at level 2 only, a failure that changes nothing but the look of a
// window (a system without per-monitor DPI): the Win32 error `code` of
// `operation` at file:line.
void LogLookFailure(const char* file, int line, const wchar_t* operation, DWORD code) noexcept;

inline HRESULT LogIfFailed(HRESULT hr, const char* file, int line,
                           const wchar_t* operation) noexcept {
    if (FAILED(hr))
        LogFailure(file, line, operation, hr);
    return hr;
}
inline LONG LogIfWin32Error(LONG error, const char* file, int line,
                            const wchar_t* operation) noexcept {
    if (error != ERROR_SUCCESS)
        LogFailure(file, line, operation, error, true);
    return error;
}
} // namespace detail

} // namespace sw

#define SW_WIDEN2(text) L##text
#define SW_WIDEN(text) SW_WIDEN2(text)

// Evaluates an HRESULT expression, records it when it failed and yields it.
#define SW_LOG_IF_FAILED(expression)                                                               \
    ::sw::detail::LogIfFailed((expression), __FILE__, __LINE__, SW_WIDEN(#expression))
// The same for a Win32 error code (ERROR_SUCCESS is success).
#define SW_LOG_IF_WIN32_ERROR(expression)                                                          \
    ::sw::detail::LogIfWin32Error((expression), __FILE__, __LINE__, SW_WIDEN(#expression))
// Records a failure that changes only the look, at level 2 (see LogLookFailure).
#define SW_LOG_LOOK_FAILURE(operation, code)                                                       \
    ::sw::detail::LogLookFailure(__FILE__, __LINE__, operation, code)
// Evaluates an HRESULT expression; when it failed, records it and returns it
// from the enclosing function.
#define SW_RETURN_IF_FAILED(expression)                                                            \
    do {                                                                                           \
        const HRESULT sw_result_ = SW_LOG_IF_FAILED(expression);                                   \
        if (FAILED(sw_result_))                                                                    \
            return sw_result_;                                                                     \
    } while (false)
// Records the failure `code` (an HRESULT) of `operation`, a text the caller
// composed, where no expression names it.
#define SW_LOG_FAILURE(operation, code)                                                            \
    ::sw::detail::LogFailure(__FILE__, __LINE__, operation, static_cast<long>(code))
// The same for a Win32 error code.
#define SW_LOG_WIN32(operation, code)                                                              \
    ::sw::detail::LogFailure(__FILE__, __LINE__, operation, static_cast<long>(code), true)
// Records the exception being handled, inside a catch block; yields its code.
#define SW_LOG_CAUGHT() ::sw::detail::LogCaughtException(__FILE__, __LINE__)
// Ends a try block: whatever it raised is recorded and goes no further.
#define SW_CATCH_LOG()                                                                             \
    catch (...) {                                                                                  \
        SW_LOG_CAUGHT();                                                                           \
    }
// Ends the try block of a function that answers an HRESULT: whatever it
// raised is recorded and returned as its code (see LogCaughtException).
#define SW_CATCH_RETURN()                                                                          \
    catch (...) {                                                                                  \
        return SW_LOG_CAUGHT();                                                                    \
    }
