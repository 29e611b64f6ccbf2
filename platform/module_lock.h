// The module's lock count: every COM object the add-in hands out while it
// lives (Connect, the event sinks, the class factory while referenced) and
// class-factory locks.
#pragma once

namespace sw {

void LockModule() noexcept;
void UnlockModule() noexcept;
long ModuleLockCount() noexcept;

} // namespace sw
