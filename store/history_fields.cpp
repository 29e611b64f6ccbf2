#include "store/history_fields.h"

#include "platform/utf8.h"

#include <array>

namespace sw {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool MustEscape(wchar_t unit) noexcept {
    return unit < 0x20 || unit == 0x7F || unit == L'%' || unit == L',';
}

bool IsHighSurrogate(wchar_t unit) noexcept {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t unit) noexcept {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Whether each ASCII character is a hexadecimal digit.
constexpr auto kIsHex = [] {
    std::array<bool, 128> table = {};
    for (char c : std::string_view("0123456789ABCDEFabcdef"))
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

int HexValue(char c) noexcept {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// `count` hexadecimal digits at `text`, or -1.
long HexNumber(std::string_view text, size_t count) noexcept {
    if (text.size() < count)
        return -1;
    long value = 0;
    for (size_t i = 0; i < count; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

void AppendEscapedText(std::string& out, std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t unit = text[i];
        unsigned long point = unit;
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            point = 0x10000 + ((unit - 0xD800ul) << 10) + (text[i + 1] - 0xDC00ul);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            // UTF-8 cannot carry a lone surrogate; it keeps its code unit.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "%%u%04X", static_cast<unsigned>(unit));
            out += escaped;
            continue;
        } else if (MustEscape(unit)) {
            out += '%';
            out += kHexDigits[unit >> 4];
            out += kHexDigits[unit & 0xF];
            continue;
        }
        AppendUtf8(out, static_cast<char32_t>(point));
    }
}

bool IsHexUnit(wchar_t unit) noexcept {
    return unit < 128 && kIsHex[unit];
}

// Strict UTF-8 with the escapes of AppendEscapedText; false on anything else.
bool ParseEscapedText(std::string_view in, std::wstring& out) {
    out.clear();
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        const auto byte = static_cast<unsigned char>(in[i]);
        if (byte == '%') {
            if (i + 1 < in.size() && in[i + 1] == 'u') {
                const long unit = HexNumber(in.substr(i + 2), 4);
                if (unit < 0)
                    return false;
                out += static_cast<wchar_t>(unit);
                i += 6;
            } else {
                const long value = HexNumber(in.substr(i + 1), 2);
                if (value < 0 || value >= 0x80)
                    return false;
                out += static_cast<wchar_t>(value);
                i += 3;
            }
            continue;
        }
        if (byte < 0x20 || byte == 0x7F || byte == ',')
            return false; // always escaped when written
        if (byte < 0x80) {
            out += static_cast<wchar_t>(byte);
            ++i;
            continue;
        }
        size_t length = 0;
        unsigned long point = 0;
        unsigned long least = 0;
        if ((byte & 0xE0) == 0xC0) {
            length = 2, point = byte & 0x1F, least = 0x80;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3, point = byte & 0x0F, least = 0x800;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4, point = byte & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (i + length > in.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(in[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            point = (point << 6) | (next & 0x3F);
        }
        if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
        if (point >= 0x10000) {
            point -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (point >> 10));
            out += static_cast<wchar_t>(0xDC00 + (point & 0x3FF));
        } else {
            out += static_cast<wchar_t>(point);
        }
        i += length;
    }
    return true;
}

// Appends `id` when it is hexadecimal; false, with `out` as it was, when not.
bool AppendHexId(std::string& out, std::wstring_view id) {
    const size_t start = out.size();
    out.resize(start + id.size());
    char* digits = out.data() + start;
    for (size_t i = 0; i < id.size(); ++i) {
        const wchar_t unit = id[i];
        if (!IsHexUnit(unit)) {
            out.resize(start);
            return false;
        }
        digits[i] = static_cast<char>(unit);
    }
    return true;
}

bool ParseHexId(std::string_view in, std::wstring& out) {
    out.resize(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        const auto unit = static_cast<unsigned char>(in[i]);
        if (!IsHexUnit(unit))
            return false;
        out[i] = static_cast<wchar_t>(unit);
    }
    return true;
}

bool IsHexId(std::wstring_view id) noexcept {
    for (wchar_t unit : id) {
        if (!IsHexUnit(unit))
            return false;
    }
    return true;
}

} // namespace sw
