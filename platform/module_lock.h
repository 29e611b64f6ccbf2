// The module's lock count: live Connect objects and class-factory locks.
#pragma once

namespace sw {

void LockModule() noexcept;
void UnlockModule() noexcept;
long ModuleLockCount() noexcept;

} // namespace sw
