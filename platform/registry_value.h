// The one reader of registry values: a DWORD, a text or raw bytes of an open
// key, the type checked or, where stored data of other types must still be
// read, not.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace sw {

enum class ValueTypes {
    Exact, // REG_DWORD for a number, REG_SZ for a text
    Any,   // any type whose data has the right form
};

// The value `name` as a number: four bytes, of type REG_DWORD unless `types`
// is Any. Anything else (a missing value, a shorter or longer one) is none.
std::optional<DWORD> ReadDwordValue(HKEY key, const wchar_t* name,
                                    ValueTypes types = ValueTypes::Exact) noexcept;

// The value `name` as a text: its whole UTF-16 code units up to the first
// 0, of type REG_SZ unless `types` is Any, and at most `limit` of them
// before the 0. Anything else is none. Passes std::bad_alloc on.
std::optional<std::wstring> ReadTextValue(HKEY key, const wchar_t* name,
                                          ValueTypes types = ValueTypes::Exact,
                                          size_t limit = static_cast<size_t>(-1) / 4);

// What ReadBinaryValue found: ERROR_SUCCESS, or the Win32 error of the query
// that failed (ERROR_MORE_DATA for a value over the limit); `missing` only
// when the value does not exist at all. A value that vanishes between the
// query of its size and the read is a failed read, not a missing value.
struct [[nodiscard]] BinaryValueRead {
    LONG error = ERROR_SUCCESS;
    bool missing = false;
    explicit operator bool() const noexcept { return error == ERROR_SUCCESS; }
};

// The value `name`'s bytes, whatever its type, at most `limit` of them, into
// `data` (empty unless the read succeeded). The value may change between the
// query of its size and the read: only the bytes read are kept. Passes
// std::bad_alloc on.
BinaryValueRead ReadBinaryValue(HKEY key, const wchar_t* name, std::vector<BYTE>& data,
                                size_t limit = static_cast<size_t>(-1) / 4);

} // namespace sw
