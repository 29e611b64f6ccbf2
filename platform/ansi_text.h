// Text in the ANSI code page, as MAPI's 8-bit string properties hold it.
#pragma once

#include <windows.h>

#include <string>

namespace sw {

// `text` (NUL-terminated, in the ANSI code page) as UTF-16; empty for a
// null or empty text, or one the code page cannot convert.
inline std::wstring WidenAnsi(const char* text) {
    if (!text || !*text)
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n) != n)
        return {};
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

} // namespace sw
