#include "addin/history_preparation.h"

#include "platform/diagnostics.h"
#include "store/history.h"

#include <windows.h>

#include <utility>

namespace sw {
namespace {

// The timer that has the history learnt once start-up is over; a thread
// timer of the host's UI thread, so its id is kept to end it at
// disconnection (before the module may go) and never to end another's.
UINT_PTR g_historyTimer = 0;
// Long enough for Outlook to finish its own start.
constexpr UINT kHistoryPreparationDelayMs = 2000;

void CALLBACK PrepareHistoryOnTimer(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    if (id != g_historyTimer)
        return;
    KillTimer(nullptr, id);
    g_historyTimer = 0;
    PrepareHistory();
}

} // namespace

// Starting the worker costs Wine and Windows some milliseconds, which must
// not count against Outlook's start-up limit: it is started from a timer,
// when the host's message loop next runs idle.
void ScheduleHistoryPreparation() noexcept {
    if (g_historyTimer)
        return;
    g_historyTimer = SetTimer(nullptr, 0, kHistoryPreparationDelayMs, &PrepareHistoryOnTimer);
    if (!g_historyTimer)
        SW_LOG_IF_WIN32_ERROR(GetLastError());
}

void CancelHistoryPreparation() noexcept {
    if (g_historyTimer)
        KillTimer(nullptr, std::exchange(g_historyTimer, 0));
}

} // namespace sw
