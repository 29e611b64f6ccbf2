// Owning wrapper for a registry key handle.
#pragma once

#include "platform/unique_any.h"

#include <windows.h>

namespace sw {

using unique_hkey = unique_any<null_handle_traits<HKEY, &::RegCloseKey, ERROR_SUCCESS>>;

} // namespace sw
