// The module that holds the add-in's code and resources.
#pragma once

#include <windows.h>

namespace sw {

// The module this code is linked into: the add-in DLL in production, the
// test executable in tests. Dialogs, strings and images load from it.
HINSTANCE AddinModule() noexcept;

} // namespace sw
