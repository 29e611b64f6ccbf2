// Has the history learnt once the host's start-up is over, so that the first
// command or new message need not read the whole history on the host's
// thread.
#pragma once

namespace sw {

// Starts a thread timer of the calling (the host's UI) thread that prepares
// the history when it fires; once however often it is called.
void ScheduleHistoryPreparation() noexcept;
// Ends the timer, if it has not fired: at disconnection, before the module
// may go.
void CancelHistoryPreparation() noexcept;

} // namespace sw
