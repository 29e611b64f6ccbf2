// The one UTF-8 encoder: the history file, exported lists and the log file
// all write their text through it.
#pragma once

#include <string>
#include <string_view>

namespace sw {

// Appends the code point `point` (up to U+10FFFF) to `out` as UTF-8.
inline void AppendUtf8(std::string& out, char32_t point) {
    const auto put = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (point < 0x80) {
        put(point);
        return;
    }
    if (point < 0x800) {
        put(0xC0 | (point >> 6));
    } else if (point < 0x10000) {
        put(0xE0 | (point >> 12));
        put(0x80 | ((point >> 6) & 0x3F));
    } else {
        put(0xF0 | (point >> 18));
        put(0x80 | ((point >> 12) & 0x3F));
        put(0x80 | ((point >> 6) & 0x3F));
    }
    put(0x80 | (point & 0x3F));
}

// Appends UTF-16 `text` to `out` as UTF-8. A lone surrogate, which UTF-8
// cannot hold, is written as U+FFFD.
inline void AppendUtf8(std::string& out, std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t point = text[i];
        if (point >= 0xD800 && point <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            point = 0xFFFD;
        }
        AppendUtf8(out, point);
    }
}

} // namespace sw
