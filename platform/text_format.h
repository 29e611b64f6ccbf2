// Composition of the texts the add-in shows or records, with printf's
// conversions checked against the arguments' types at compile time (GCC
// checks no wide format string itself).
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

namespace sw {
namespace detail {

// FormatText's body: vswprintf into a buffer that grows until the text fits.
std::wstring FormatUnchecked(const wchar_t* format, ...);

// What one conversion of a format takes.
enum class FormatArgument : unsigned char {
    Int,              // %d %i
    Long,             // %ld
    LongLong,         // %lld
    SignedSize,       // %zd
    Unsigned,         // %u %x %X %o
    UnsignedLong,     // %lu %lx %lX
    UnsignedLongLong, // %llu %llx
    Size,             // %zu %zx
    WideText,         // %ls
    NarrowText,       // %s: a char text, as C99 has it (mingw's stdio)
};

// The conversions of a format in order; `valid` is false for one the check
// does not know (%c, %p, %hd, a width or precision of "*", a lone "%") or
// past kMaxFormatArguments.
inline constexpr size_t kMaxFormatArguments = 16;
struct FormatConversions {
    FormatArgument arguments[kMaxFormatArguments] = {};
    size_t count = 0;
    bool valid = true;
};

consteval FormatConversions ParseFormat(const wchar_t* format) {
    FormatConversions result;
    const auto isDigit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%')
            continue;
        if (*++p == L'%')
            continue;
        while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0')
            ++p;
        while (isDigit(*p))
            ++p;
        if (*p == L'.') {
            ++p;
            while (isDigit(*p))
                ++p;
        }
        // The length: none, "l", "ll" or "z", indexing the tables below.
        size_t length = 0;
        if (*p == L'z') {
            length = 3;
            ++p;
        } else {
            for (; *p == L'l' && length < 2; ++p)
                ++length;
        }
        constexpr FormatArgument kSigned[] = {FormatArgument::Int, FormatArgument::Long,
                                              FormatArgument::LongLong, FormatArgument::SignedSize};
        constexpr FormatArgument kUnsigned[] = {
            FormatArgument::Unsigned, FormatArgument::UnsignedLong,
            FormatArgument::UnsignedLongLong, FormatArgument::Size};
        FormatArgument argument{};
        switch (*p) {
        case L'd':
        case L'i':
            argument = kSigned[length];
            break;
        case L'u':
        case L'x':
        case L'X':
        case L'o':
            argument = kUnsigned[length];
            break;
        case L's':
            if (length > 1)
                result.valid = false;
            argument = length == 1 ? FormatArgument::WideText : FormatArgument::NarrowText;
            break;
        default: // the end of the format, or a conversion not known here
            result.valid = false;
            return result;
        }
        if (result.count == kMaxFormatArguments) {
            result.valid = false;
            return result;
        }
        result.arguments[result.count++] = argument;
    }
    return result;
}

// Whether `T`, an argument as it reaches "...", is what `argument` takes:
// the very type, with no promotion or sign change allowed, so that a size_t
// given to %u fails where it is wider than unsigned int.
template <class T> consteval bool Takes(FormatArgument argument) {
    switch (argument) {
    case FormatArgument::Int:
        return std::is_same_v<T, int>;
    case FormatArgument::Long:
        return std::is_same_v<T, long>;
    case FormatArgument::LongLong:
        return std::is_same_v<T, long long>;
    case FormatArgument::SignedSize:
        return std::is_same_v<T, std::make_signed_t<size_t>>;
    case FormatArgument::Unsigned:
        return std::is_same_v<T, unsigned>;
    case FormatArgument::UnsignedLong:
        return std::is_same_v<T, unsigned long>;
    case FormatArgument::UnsignedLongLong:
        return std::is_same_v<T, unsigned long long>;
    case FormatArgument::Size:
        return std::is_same_v<T, size_t>;
    case FormatArgument::WideText:
        return std::is_same_v<T, const wchar_t*> || std::is_same_v<T, wchar_t*>;
    case FormatArgument::NarrowText:
        return std::is_same_v<T, const char*> || std::is_same_v<T, char*>;
    }
    return false;
}

// Whether `format` takes exactly `Args`, in number and in type.
template <class... Args> consteval bool FormatTakes(const wchar_t* format) {
    const FormatConversions conversions = ParseFormat(format);
    if (!conversions.valid || conversions.count != sizeof...(Args))
        return false;
    size_t i = 0;
    return (Takes<Args>(conversions.arguments[i++]) && ...);
}

// Never defined: a call in a constant expression is the compile error that
// names a format whose arguments do not fit it.
void FormatDoesNotTakeTheseArguments();

} // namespace detail

// A format checked, where it is written, against the types of the arguments
// that go with it.
template <class... Args> class CheckedFormat {
public:
    // Not explicit: the literal at the call converts, and is checked there.
    consteval CheckedFormat(const wchar_t* format) : m_format(format) {
        if (!detail::FormatTakes<Args...>(format))
            detail::FormatDoesNotTakeTheseArguments();
    }
    const wchar_t* get() const noexcept { return m_format; }

private:
    const wchar_t* m_format;
};

// printf-style composition for the message texts ("RegOpenKeyEx Failed: %ld.").
// A conversion takes its exact type (%d int, %ld long, %lu unsigned long,
// %zu size_t, %llu unsigned long long, %ls a wide text, %s a char text);
// any other argument, or one too many or too few, does not compile.
template <class... Args>
[[nodiscard]] std::wstring FormatText(CheckedFormat<std::type_identity_t<Args>...> format,
                                      Args... args) {
    return detail::FormatUnchecked(format.get(), args...);
}

} // namespace sw
