// A history compaction held on its worker thread, for tests of what goes on
// while one runs.
#pragma once

#include "platform/unique_handle.h"
#include "store/history.h"

#include <windows.h>

#include <atomic>

namespace sw::test {

// Holds the next compactions after their copy, before they take in what was
// recorded meanwhile and replace the file, until Resume.
class PausedCompaction {
public:
    PausedCompaction()
        : m_paused(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_resume(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        SetHistoryCompactionHook([this] {
            m_thread = GetCurrentThreadId();
            SetEvent(m_paused.get());
            WaitForSingleObject(m_resume.get(), 60000);
        });
    }
    ~PausedCompaction() {
        Resume();
        SetHistoryCompactionHook({});
        WaitForHistoryCompaction();
    }
    PausedCompaction(const PausedCompaction&) = delete;
    PausedCompaction& operator=(const PausedCompaction&) = delete;

    bool WaitUntilPaused(DWORD milliseconds = 30000) const {
        return WaitForSingleObject(m_paused.get(), milliseconds) == WAIT_OBJECT_0;
    }
    void Resume() const { SetEvent(m_resume.get()); }
    DWORD Thread() const { return m_thread; }

private:
    unique_handle m_paused;
    unique_handle m_resume;
    std::atomic<DWORD> m_thread{0};
};

} // namespace sw::test
