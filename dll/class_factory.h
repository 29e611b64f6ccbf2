// The class factory that creates Connect objects.
#pragma once

#include <objbase.h>

namespace sw {

// The module's one factory: created once, then reused. Its references do not
// lock the module; LockServer does.
IClassFactory* ConnectClassFactory() noexcept;

} // namespace sw
