#include "platform/command_progress.h"

#include "platform/diagnostics.h"
#include "platform/progress_window.h"

namespace sw {
namespace {

// Process-wide: a test seam, replaced only by SetProgressFactory.
ProgressFactory g_factory = &ShowProgressWindow;

} // namespace

std::wstring ProgressText(size_t done, size_t total) {
    return std::to_wstring(done) + L" of " + std::to_wstring(total) + L" messages done";
}

std::unique_ptr<CommandProgress> ShowCommandProgress(const std::wstring& title, size_t total,
                                                     unsigned delayMs) noexcept {
    try {
        return g_factory(title, total, delayMs);
    } catch (...) {
        SW_LOG_CAUGHT();
        return nullptr;
    }
}

ProgressFactory SetProgressFactory(ProgressFactory factory) noexcept {
    ProgressFactory previous = g_factory;
    g_factory = factory ? factory : &ShowProgressWindow;
    return previous;
}

} // namespace sw
