// The one reader of registry values: a DWORD or a text of an open key, its
// type checked or, where stored data of other types must still be read, not.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

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

} // namespace sw
