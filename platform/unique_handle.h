// Owning wrappers for a kernel object handle (a file, an event...) and a
// loaded module. For kernel handles both nullptr and INVALID_HANDLE_VALUE
// count as "no handle", since CreateFileW answers the one and most other
// creators the other.
#pragma once

#include "platform/unique_any.h"

#include <windows.h>

namespace sw {

struct kernel_handle_traits {
    using type = HANDLE;
    static constexpr type none() noexcept { return nullptr; }
    static bool valid(type handle) noexcept {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
    static bool close(type handle) noexcept { return CloseHandle(handle) != FALSE; }
};

using unique_handle = unique_any<kernel_handle_traits>;
using unique_module = unique_any<null_handle_traits<HMODULE, &::FreeLibrary, TRUE>>;

} // namespace sw
