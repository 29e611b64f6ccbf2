#include "commands/run_progress.h"

namespace sw {

RunProgress::RunProgress(std::wstring title, size_t total) : m_title(std::move(title)) {
    Extend(total);
}

void RunProgress::Extend(size_t more) {
    m_total += more;
    if (!m_window && m_total > kProgressThreshold)
        m_window = ShowCommandProgress(m_title, m_total);
}

bool RunProgress::Step() {
    ++m_done;
    return !m_window || m_window->Step(m_done, m_total);
}

} // namespace sw
