// The bytes of an imported list file turned into text, whatever encoding
// the file was written in.
#pragma once

#include <string>
#include <string_view>

namespace sw {

// The reason given wherever reading or writing a list file ran out of memory.
inline constexpr wchar_t kNotEnoughMemory[] = L"there is not enough memory";

// Turns a file's bytes into text: UTF-16 LE or BE with a byte order mark,
// UTF-8 with or without one, else the ANSI code page. False, with `error`
// saying why in plain words, for bytes that are no text (NUL bytes without
// a UTF-16 mark, a UTF-16 file of odd length, UTF-8 cut within a sequence).
// Also false for UTF-16 holding NUL characters (UTF-32, binary data) or
// broken surrogate pairs, and for a UTF-8 mark over bytes that are not UTF-8.
// No bytes at all are an empty text.
[[nodiscard]] bool DecodeListFile(std::string_view bytes, std::wstring& text, std::wstring& error);

} // namespace sw
