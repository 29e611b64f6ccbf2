// Re-entry guard of the blocking commands: a click delivered while a command
// runs (for example while its message box is up) must not start another.
#pragma once

#include "store/state.h"

namespace sw {

// Sets g_host.commandRunning for its lifetime unless it was already set; clears it
// on every way out of the scope.
class CommandGuard {
public:
    CommandGuard() noexcept : m_acquired(!g_host.commandRunning) {
        if (m_acquired)
            g_host.commandRunning = true;
    }
    ~CommandGuard() {
        if (m_acquired)
            g_host.commandRunning = false;
    }
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;

    // False when another command was already running.
    bool acquired() const noexcept { return m_acquired; }

private:
    bool m_acquired;
};

} // namespace sw
