// What an operation could not do, in the words the user would read, each
// failure with its code: empty when everything went well. Code that shows no
// window (the store) answers one, and its caller decides at the call whether
// the user sees it (ShowOutcome, platform/user_message.h) or it is only
// recorded (SW_LOG_OUTCOME).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sw {

class [[nodiscard]] Outcome {
public:
    struct Failure {
        std::wstring text; // "RegOpenKeyEx Failed: 2."
        long code;         // a Win32 error code, or an HRESULT when `win32` is false
        bool win32;
    };

    bool ok() const noexcept { return m_failures.empty(); }
    explicit operator bool() const noexcept { return ok(); }
    const std::vector<Failure>& failures() const noexcept { return m_failures; }

    // Notes a failure; the outcome is then not ok.
    void Fail(std::wstring text, long code, bool win32 = true) {
        m_failures.push_back({std::move(text), code, win32});
    }
    // Takes `other`'s failures after this one's.
    void Add(Outcome&& other) {
        for (Failure& failure : other.m_failures)
            m_failures.push_back(std::move(failure));
        other.m_failures.clear();
    }

private:
    std::vector<Failure> m_failures;
};

namespace detail {
// Records each failure of `outcome` at file:line (SW_LOG_OUTCOME).
void LogOutcome(const char* file, int line, const Outcome& outcome) noexcept;
} // namespace detail

} // namespace sw

// Records every failure of an outcome the user is not shown, at the call.
#define SW_LOG_OUTCOME(outcome) ::sw::detail::LogOutcome(__FILE__, __LINE__, outcome)
