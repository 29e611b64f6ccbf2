// FormatText: what each conversion the add-in uses composes under the
// runtime's vswprintf, and that a format whose arguments do not fit it does
// not compile.
#include "platform/text_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace sw::test {
namespace {

// Whether a call of FormatText with `Format` and arguments of types `Args`
// compiles: the format's conversion into CheckedFormat, as at a call, made a
// template argument, where a failed check is a substitution failure.
template <const wchar_t* Format, class... Args>
concept Compiles = requires {
    typename std::integral_constant<bool, (CheckedFormat<Args...>(Format), true)>;
};

constexpr wchar_t kInt[] = L"Total: %d";
constexpr wchar_t kUnsigned[] = L"%u";
constexpr wchar_t kSize[] = L"%zu";
constexpr wchar_t kWideText[] = L"%ls: %ld.";
constexpr wchar_t kNarrowText[] = L"%s";
constexpr wchar_t kHex[] = L"0x%08lX";
constexpr wchar_t kEscapes[] = L"100%% %%0a";
constexpr wchar_t kUnknown[] = L"%hd %c %p %*d";
constexpr wchar_t kLoneMark[] = L"50%";

static_assert(Compiles<kInt, int>);
static_assert(!Compiles<kInt, long> && !Compiles<kInt, unsigned> && !Compiles<kInt, bool>);
static_assert(!Compiles<kInt> && !Compiles<kInt, int, int>);
static_assert(Compiles<kUnsigned, unsigned> && !Compiles<kUnsigned, unsigned long long>);
// size_t is %zu on both architectures, %u or %llu on one only.
static_assert(Compiles<kSize, size_t> && !Compiles<kSize, int>);
static_assert(Compiles<kWideText, const wchar_t*, long> && Compiles<kWideText, wchar_t*, long>);
static_assert(!Compiles<kWideText, const char*, long> && !Compiles<kWideText, long, long>);
static_assert(Compiles<kNarrowText, const char*> && !Compiles<kNarrowText, const wchar_t*>);
static_assert(Compiles<kHex, unsigned long> && !Compiles<kHex, unsigned>);
static_assert(Compiles<kEscapes> && !Compiles<kEscapes, int>);
static_assert(!Compiles<kUnknown, short, int, void*, int> && !Compiles<kLoneMark>);

TEST(TextFormatTest, ComposesEachConversionAsPrintfDoes) {
    const std::wstring longText(1000, L'x'); // past the first buffer of 256
    const struct {
        std::wstring text;
        std::wstring expected;
    } cases[] = {
        {FormatText(L"no conversion"), L"no conversion"},
        {FormatText(L"Total: %d", 42), L"Total: 42"},
        {FormatText(L"%d|%i", INT_MIN, -1), L"-2147483648|-1"},
        {FormatText(L"%ld", -2147483647L - 1), L"-2147483648"},
        {FormatText(L"%lld", LLONG_MIN), L"-9223372036854775808"},
        {FormatText(L"%u %lu", UINT_MAX, ULONG_MAX), L"4294967295 4294967295"},
        {FormatText(L"%llu ms", ULLONG_MAX), L"18446744073709551615 ms"},
        {FormatText(L"%zu entries", static_cast<size_t>(SIZE_MAX >> 1) + 1),
         sizeof(size_t) == 8 ? L"9223372036854775808 entries" : L"2147483648 entries"},
        {FormatText(L"%x %X %o", 255u, 0xabcu, 8u), L"ff ABC 10"},
        {FormatText(L"Unknown error 0x%0lX", 0x80004005UL), L"Unknown error 0x80004005"},
        {FormatText(L"0x%08lX|%08lx", 0x1FUL, 0xbeefUL), L"0x0000001F|0000beef"},
        {FormatText(L"[%-4d|%4d|%+d|%.3d]", 1, 2, 3, 4), L"[1   |   2|+3|004]"},
        {FormatText(L"%ls%lu.%lu.%lu ", L"Windows 10 ", 10UL, 0UL, 19045UL),
         L"Windows 10 10.0.19045 "},
        {FormatText(L"RegOpenKeyEx Failed: %ls: %ld.", L"Software\\Caf\u00e9 \U0001F600", 5L),
         L"RegOpenKeyEx Failed: Software\\Caf\u00e9 \U0001F600: 5."},
        {FormatText(L"%s", "narrow"), L"narrow"},
        {FormatText(L"%%0a%%0d 100%%"), L"%0a%0d 100%"},
        {FormatText(L"%ls|%d", longText.c_str(), 7), longText + L"|7"},
        {FormatText(L"[%ls]", L""), L"[]"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].text, cases[i].expected) << "case " << i;
}

} // namespace
} // namespace sw::test
