#include "manager/list_file_text.h"

#include "platform/file_io.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

namespace sw {
namespace {

constexpr wchar_t kNotText[] = L"the file is not a text file";
constexpr wchar_t kCutOff[] = L"the file is cut off in the middle of a character";
constexpr wchar_t kBadUtf8[] = L"the file is marked as UTF-8 but holds bytes that are not UTF-8";
constexpr wchar_t kBadUtf16[] = L"the file is marked as UTF-16 but holds broken characters";

enum class Utf8 { Valid, Invalid, CutOff };

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
// CutOff means every byte was valid but the last sequence is incomplete.
Utf8 DecodeUtf8(std::string_view bytes, std::wstring& text) {
    text.resize(bytes.size()); // never more UTF-16 units than bytes
    wchar_t* out = text.data();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = in + bytes.size();
    while (in < end) {
        const unsigned lead = *in++;
        if (lead < 0x80) {
            *out++ = static_cast<wchar_t>(lead);
            continue;
        }
        int more = 0;
        unsigned low = 0x80, high = 0xBF; // the range of the next byte
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            code = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;  // overlong
            high = lead == 0xED ? 0x9F : 0xBF; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            code = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;  // overlong
            high = lead == 0xF4 ? 0x8F : 0xBF; // above U+10FFFF
        } else {
            return Utf8::Invalid;
        }
        for (; more > 0; --more, ++in) {
            if (in == end)
                return Utf8::CutOff;
            if (*in < low || *in > high)
                return Utf8::Invalid;
            low = 0x80;
            high = 0xBF;
            code = (code << 6) | (*in & 0x3F);
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            *out++ = static_cast<wchar_t>(0xD800 + (code >> 10));
            *out++ = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            *out++ = static_cast<wchar_t>(code);
        }
    }
    text.resize(static_cast<size_t>(out - text.data()));
    return Utf8::Valid;
}

bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::wstring& text, std::wstring& error) {
    if (bytes.size() % 2) {
        error = kCutOff;
        return false;
    }
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    text.resize(bytes.size() / 2);
    for (size_t i = 0; i < text.size(); ++i, in += 2)
        text[i] = static_cast<wchar_t>(bigEndian ? (in[0] << 8) | in[1] : in[0] | (in[1] << 8));
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t unit = text[i];
        if (unit == 0) {
            // UTF-32 and binary data behind a UTF-16 mark come this way.
            error = kNotText;
            return false;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == text.size()) {
                error = kCutOff;
                return false;
            }
            if (text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                error = kBadUtf16;
                return false;
            }
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            error = kBadUtf16;
            return false;
        }
    }
    return true;
}

bool DecodeAnsi(std::string_view bytes, std::wstring& text, std::wstring& error) {
    if (bytes.size() > INT_MAX) {
        error = L"the file is too large";
        return false;
    }
    const int length = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (units > 0) {
        text.resize(static_cast<size_t>(units));
        if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), units) == units)
            return true;
    }
    text.clear();
    error = L"the file could not be read as text: " + Win32ErrorText(GetLastError());
    return false;
}

bool Decode(std::string_view bytes, std::wstring& text, std::wstring& error) {
    const auto starts = [bytes](std::string_view mark) { return bytes.starts_with(mark); };
    if (starts("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2), false, text, error);
    if (starts("\xFE\xFF"))
        return DecodeUtf16(bytes.substr(2), true, text, error);
    if (std::memchr(bytes.data(), 0, bytes.size())) {
        error = kNotText;
        return false;
    }
    const bool marked = starts("\xEF\xBB\xBF");
    switch (DecodeUtf8(marked ? bytes.substr(3) : bytes, text)) {
    case Utf8::Valid:
        return true;
    case Utf8::CutOff:
        // Valid UTF-8 up to a sequence that the end cuts short: a truncated
        // copy, not text in another code page.
        error = kCutOff;
        return false;
    case Utf8::Invalid:
        if (marked) {
            error = kBadUtf8;
            return false;
        }
        break;
    }
    return DecodeAnsi(bytes, text, error);
}

} // namespace

bool DecodeListFile(std::string_view bytes, std::wstring& text, std::wstring& error) {
    text.clear();
    error.clear();
    try {
        if (Decode(bytes, text, error))
            return true;
        text.clear();
        return false;
    } catch (const std::bad_alloc&) {
        text.clear();
        try {
            error = kNotEnoughMemory;
        } catch (const std::bad_alloc&) {
            error.clear();
        }
        return false;
    }
}

} // namespace sw
