#include "addin/resource_text.h"

#include <climits>

namespace sw {

HRESULT DecodeUtf8Resource(std::string_view bytes, std::wstring& text) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kByteOrderMark))
        bytes.remove_prefix(kByteOrderMark.size());
    if (bytes.size() > INT_MAX)
        return E_OUTOFMEMORY;
    if (bytes.empty()) {
        text.clear();
        return S_OK;
    }
    const int size = static_cast<int>(bytes.size());
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return HRESULT_FROM_WIN32(GetLastError());
    std::wstring decoded(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, decoded.data(),
                            length) != length)
        return HRESULT_FROM_WIN32(GetLastError());
    text = std::move(decoded);
    return S_OK;
}

} // namespace sw
