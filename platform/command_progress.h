// Progress of a long blocking command: a small window with the count done,
// a progress bar and a Cancel button, which has the keyboard focus, over the
// window the user works in, which it disables while it is up as a modal
// window would. The window is laid out for its DPI in the message font and
// again when it moves to a monitor of another scale. Tests install a factory
// of their own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

namespace sw {

class CommandProgress {
public:
    virtual ~CommandProgress() = default;
    // Shows `done` of `total` and handles the window's messages; false once
    // the user has asked to stop.
    virtual bool Step(size_t done, size_t total) = 0;
};

// A run of more items than this shows its progress.
inline constexpr size_t kProgressThreshold = 50;

// A progress window shows once a run has taken this long: a quicker one
// would only flash.
inline constexpr unsigned kProgressDelayMs = 500;

// The progress window titled `title` for a run of `total` items, shown once
// `delayMs` have passed; null when it cannot be shown (the run then goes on
// without one). Raises nothing.
std::unique_ptr<CommandProgress> ShowCommandProgress(const std::wstring& title, size_t total,
                                                     unsigned delayMs = kProgressDelayMs) noexcept;

using ProgressFactory = std::unique_ptr<CommandProgress> (*)(const std::wstring& title,
                                                             size_t total, unsigned delayMs);
// Replaces the factory; returns the previous one. nullptr restores the window.
ProgressFactory SetProgressFactory(ProgressFactory factory) noexcept;

// "12 of 60 messages done", the window's text.
std::wstring ProgressText(size_t done, size_t total);

// The controls' ids, for tests that read and press them: the count's text,
// the bar (which the text before it names for screen readers) and Cancel.
inline constexpr int kProgressTextId = 100;
inline constexpr int kProgressBarId = 101;
inline constexpr int kProgressCancelId = IDCANCEL;

} // namespace sw
