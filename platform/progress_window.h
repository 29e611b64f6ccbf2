// The progress window of long commands: laid out for its DPI in the message
// font, with a progress bar and the focus on Cancel. Only command_progress.cpp
// uses it, as the factory that tests replace.
#pragma once

#include "platform/command_progress.h"

#include <memory>
#include <string>

namespace sw {

// The window for a command of `total` messages, shown once `delayMs` have
// passed; nullptr when it cannot be created.
std::unique_ptr<CommandProgress> ShowProgressWindow(const std::wstring& title, size_t total,
                                                    unsigned delayMs);

} // namespace sw
