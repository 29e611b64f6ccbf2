// The system's own text for an error code, the one place that asks
// FormatMessageW for it.
#pragma once

#include <windows.h>

#include <string>

namespace sw {

// The system's message for `code` (a Win32 error code or an HRESULT)
// without its final line breaks; "" when the system has none. Passes
// std::bad_alloc on.
std::wstring SystemMessageText(DWORD code);

} // namespace sw
