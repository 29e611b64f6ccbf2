#include "platform/module_lock.h"

#include <windows.h>

namespace sw {
namespace {

// What DllCanUnloadNow asks of the whole module, from any thread: interlocked.
volatile LONG g_moduleLocks = 0;

} // namespace

void LockModule() noexcept {
    InterlockedIncrement(&g_moduleLocks);
}

void UnlockModule() noexcept {
    InterlockedDecrement(&g_moduleLocks);
}

long ModuleLockCount() noexcept {
    return InterlockedCompareExchange(&g_moduleLocks, 0, 0);
}

} // namespace sw
