// The progress of one blocking run, whose count of items may grow as it goes
// (earlier messages are found only once the selection is done). The window
// comes up once the run has more than kProgressThreshold items.
#pragma once

#include "platform/command_progress.h"

#include <memory>
#include <string>

namespace sw {

class RunProgress {
public:
    RunProgress(std::wstring title, size_t total);
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;

    // `more` items join the run.
    void Extend(size_t more);
    // One item is done; false once the user has asked to stop.
    bool Step();
    // Takes the window down (the destructor does too).
    void Close() noexcept { m_window.reset(); }

private:
    std::wstring m_title;
    size_t m_total = 0;
    size_t m_done = 0;
    std::unique_ptr<CommandProgress> m_window;
};

} // namespace sw
