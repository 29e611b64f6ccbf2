#include "platform/registry_value.h"

#include <vector>

namespace sw {

std::optional<DWORD> ReadDwordValue(HKEY key, const wchar_t* name, ValueTypes types) noexcept {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    // A value of fewer than four bytes would fill only part of the result.
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof value || (types == ValueTypes::Exact && type != REG_DWORD))
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadTextValue(HKEY key, const wchar_t* name, ValueTypes types,
                                          size_t limit) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (types == ValueTypes::Exact && type != REG_SZ) || size / sizeof(wchar_t) > limit + 1)
        return std::nullopt;
    // Room for all the data, an odd last byte included; only whole code units
    // are text, up to the first 0.
    std::vector<wchar_t> buffer((size + 1) / sizeof(wchar_t) + 1);
    DWORD read = size;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &read) != ERROR_SUCCESS ||
        (types == ValueTypes::Exact && type != REG_SZ))
        return std::nullopt;
    const size_t units = read / sizeof(wchar_t);
    size_t length = 0;
    while (length < units && buffer[length] != L'\0')
        ++length;
    if (length > limit)
        return std::nullopt;
    return std::wstring(buffer.data(), length);
}

BinaryValueRead ReadBinaryValue(HKEY key, const wchar_t* name, std::vector<BYTE>& data,
                                size_t limit) {
    data.clear();
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size);
    if (rc != ERROR_SUCCESS)
        return {rc, rc == ERROR_FILE_NOT_FOUND};
    if (size > limit)
        return {ERROR_MORE_DATA, false};
    data.resize(size ? size : 1);
    rc = RegQueryValueExW(key, name, nullptr, nullptr, data.data(), &size);
    if (rc != ERROR_SUCCESS) {
        data.clear();
        return {rc, false};
    }
    data.resize(size);
    return {};
}

} // namespace sw
