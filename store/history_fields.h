// The fields of a history line: text with its few special characters
// escaped, and the hexadecimal ids of messages, stores and folders.
#pragma once

#include <string>
#include <string_view>

namespace sw {

// Appends `text` as UTF-8 with '%', ',', TAB, control characters and lone
// surrogates escaped (%XX below 0x80, %uXXXX for a UTF-16 unit).
void AppendEscapedText(std::string& out, std::wstring_view text);
// Strict UTF-8 with those escapes; false on anything else.
[[nodiscard]] bool ParseEscapedText(std::string_view in, std::wstring& out);

// Whether `unit` is a hexadecimal digit.
bool IsHexUnit(wchar_t unit) noexcept;
// Whether `id` holds hexadecimal digits only (the empty id does).
bool IsHexId(std::wstring_view id) noexcept;
// Appends `id` when it is hexadecimal; false, with `out` as it was, when not.
[[nodiscard]] bool AppendHexId(std::string& out, std::wstring_view id);
// Reads an id of hexadecimal digits; false on any other character.
[[nodiscard]] bool ParseHexId(std::string_view in, std::wstring& out);

} // namespace sw
