// The text of the module's own text resources (the ribbon document, the
// registration script), which are UTF-8 whatever the system's code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace sw {

// Decodes `bytes` as UTF-8 into `text` (a leading byte-order mark dropped).
// Bytes that are not UTF-8 fail with the system's error, `text` unchanged.
[[nodiscard]] HRESULT DecodeUtf8Resource(std::string_view bytes, std::wstring& text);

} // namespace sw
