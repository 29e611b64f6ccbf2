// Import and Export of the Blocked Senders list: the encodings a file may
// come in, the lines that are taken or skipped, the report, real files and
// the round trip.
#include "manager/list_transfer.h"

#include "platform/file_io.h"
#include "platform/unique_handle.h"
#include "tests/harness/scratch_files.h"
#include "store/list_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace sw::test {
namespace {

using namespace std::string_literals;
using Entries = std::vector<std::wstring>;

std::string Utf16(std::wstring_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::wstring Decoded(std::string_view bytes) {
    std::wstring text = L"stale", error;
    EXPECT_TRUE(DecodeListFile(bytes, text, error)) << testing::PrintToString(bytes);
    EXPECT_EQ(error, L"");
    return text;
}

std::wstring Refusal(std::string_view bytes) {
    std::wstring text = L"stale", error;
    EXPECT_FALSE(DecodeListFile(bytes, text, error)) << testing::PrintToString(bytes);
    EXPECT_EQ(text, L"");
    return error;
}

TEST(ListTransferDecodeTest, ReadsEveryEncodingWithAndWithoutAMark) {
    const std::wstring text = L"ann@caf\u00E9.example\r\n@\U0001F600.example\n";
    const std::string utf8 = "ann@caf\xC3\xA9.example\r\n@\xF0\x9F\x98\x80.example\n";
    EXPECT_EQ(Decoded(utf8), text);
    EXPECT_EQ(Decoded("\xEF\xBB\xBF" + utf8), text);
    EXPECT_EQ(Decoded(Utf16(text, false)), text);
    EXPECT_EQ(Decoded(Utf16(text, true)), text);
    for (const char* empty : {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
        EXPECT_EQ(Decoded(empty), L"") << "nothing to import is no error";

    // Not UTF-8 (a lone lead byte followed by a space, or cut inside the
    // file): the ANSI code page, whatever the end looks like.
    if (GetACP() == 1252) {
        EXPECT_EQ(Decoded("ann@caf\xE9.example\r\n\x80"), L"ann@caf\u00E9.example\r\n\u20AC");
        EXPECT_EQ(Decoded("caf\xE9 x\xC3"), L"caf\u00E9 x\u00C3");
    }
}

TEST(ListTransferDecodeTest, RefusesBytesThatAreNoTextInPlainWords) {
    const std::wstring notText = L"the file is not a text file";
    const std::wstring cutOff = L"the file is cut off in the middle of a character";
    EXPECT_EQ(Refusal("ann@x.example\r\n\x01\x00\x7F\x45LF"s), notText) << "binary data";
    EXPECT_EQ(Refusal("\xEF\xBB\xBF"
                      "a\0b"s),
              notText);
    EXPECT_EQ(Refusal("\xFF\xFE\0\0a\0\0\0"s), notText) << "UTF-32";

    EXPECT_EQ(Refusal("\xFF\xFE"
                      "a\0b"s),
              cutOff)
        << "odd length";
    EXPECT_EQ(Refusal("\xFE\xFF\0a\0"s), cutOff);
    EXPECT_EQ(Refusal(Utf16(L"a\xD83D", false)), cutOff) << "half a surrogate pair";
    EXPECT_EQ(Refusal(Utf16(L"a\xDE00"
                            L"b",
                            true)),
              L"the file is marked as UTF-16 but holds broken characters");

    EXPECT_EQ(Refusal("\xEF\xBB\xBF"
                      "caf\xC3"),
              cutOff);
    EXPECT_EQ(Refusal("ann@x.example\r\n@\xF0\x9F\x98"), cutOff) << "valid UTF-8 but the end";
    const std::wstring notUtf8 = L"the file is marked as UTF-8 but holds bytes that are not UTF-8";
    for (const char* bad : {"caf\xE9.example", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        EXPECT_EQ(Refusal("\xEF\xBB\xBF"s + bad), notUtf8) << testing::PrintToString(bad);
}

TEST(ListTransferParseTest, TakesEntriesInListFormOnceEach) {
    const ImportedLines lines = ParseImportedLines(
        L"  example.com\t\r\n*@Star.example\n@dom.example\rann@example.com\r\n"
        L"ANN@EXAMPLE.com\n@Example.COM\n\u00C4nn@x.example\n\u00E4nn@x.example");
    EXPECT_EQ(lines.entries,
              (Entries{L"@example.com", L"@Star.example", L"@dom.example", L"ann@example.com",
                       L"\u00C4nn@x.example", L"\u00E4nn@x.example"}))
        << "duplicates ignore ASCII case only; the first is kept as written";
    EXPECT_TRUE(lines.skipped.empty());
}

TEST(ListTransferParseTest, SkipsUnusableLinesWithTheirNumberAndReason) {
    // Line ends of every kind, blank lines counted.
    const ImportedLines lines = ParseImportedLines(
        L"\r\nx;y\n\n   \t \rfoo bar\r\nfoo\tbar\r\na\x01"
        L"b@x.example\na\x7F@x.example\n"
        L"a\x85@x.example\nann\u00A0x@x.example\nann@\n@\n*@\nann@localhost\nexample\n"
        L"ann@.x.example\n.example.com\nexample.com.\n*.example.com\nann@*.example\n*\n"
        L"**@x.example\nann@b@x.example\n@x.example");
    const std::vector<std::tuple<size_t, std::wstring, std::wstring>> expected = {
        {2, L"x;y", L"holds ;"},
        {5, L"foo bar", L"holds a space"},
        {6, L"foo\tbar", L"holds a tab"},
        {7,
         L"a\x01"
         L"b@x.example",
         L"holds a control character"},
        {8, L"a\x7F@x.example", L"holds a control character"},
        {9, L"a\x85@x.example", L"holds a control character"},
        {10, L"ann\u00A0x@x.example", L"holds a space"},
        {11, L"ann@", L"nothing after @"},
        {12, L"@", L"nothing after @"},
        {13, L"*@", L"nothing after @"},
        {14, L"ann@localhost", L"the domain has no dot"},
        {15, L"example", L"the domain has no dot"},
        {16, L"ann@.x.example", L"the domain starts or ends with a dot"},
        {17, L".example.com", L"the domain starts or ends with a dot"},
        {18, L"example.com.", L"the domain starts or ends with a dot"},
        {19, L"*.example.com", L"holds *"},
        {20, L"ann@*.example", L"holds *"},
        {21, L"*", L"holds *"},
        {22, L"**@x.example", L"holds *"},
        {23, L"ann@b@x.example", L"holds more than one @"},
    };
    ASSERT_EQ(lines.skipped.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines.skipped[i].line, std::get<0>(expected[i]));
        EXPECT_EQ(lines.skipped[i].text, std::get<1>(expected[i]));
        EXPECT_EQ(lines.skipped[i].reason, std::get<2>(expected[i]));
    }
    EXPECT_EQ(lines.entries, Entries{L"@x.example"});
}

TEST(ListTransferReportTest, CountsAndTheFirstTenSkippedLines) {
    EXPECT_EQ(ImportReport(120, 3, {{4, L"foo bar", L"holds a space"}, {9, L"x;y", L"holds ;"}}),
              L"Imported 120 entries; 3 were already listed.\n\nSkipped 2 lines:\n"
              L"line 4: foo bar (holds a space)\nline 9: x;y (holds ;)");
    EXPECT_EQ(ImportReport(1, 1, {{12345, L"ann@", L"nothing after @"}}),
              L"Imported 1 entry; 1 was already listed.\n\nSkipped 1 line:\n"
              L"line 12,345: ann@ (nothing after @)");
    EXPECT_EQ(ImportReport(1234567, 0, {}), L"Imported 1,234,567 entries; 0 were already listed.");

    std::vector<SkippedLine> skipped;
    for (size_t i = 1; i <= 1012; ++i)
        skipped.push_back({i, L"x;" + std::to_wstring(i), L"holds ;"});
    skipped[1].text = std::wstring(100, L'a') + L" b";
    skipped[2].text = L"a\x1B[2Jb";
    const std::wstring report = ImportReport(0, 5, skipped);
    EXPECT_THAT(report, testing::StartsWith(L"Imported 0 entries; 5 were already listed.\n\n"
                                            L"Skipped 1,012 lines:\nline 1: x;1 (holds ;)\n"
                                            L"line 2: " +
                                            std::wstring(59, L'a') +
                                            L"\u2026 "
                                            L"(holds ;)\nline 3: a\uFFFD[2Jb (holds ;)\n"));
    EXPECT_THAT(report, testing::EndsWith(L"\nline 10: x;10 (holds ;)\nand 1,002 more"));
    EXPECT_THAT(report, testing::Not(testing::HasSubstr(L"line 11:")));
}

TEST(ListTransferRoundTripTest, RandomValidListsComeBackUnchanged) {
    std::mt19937 random(20240601);
    const std::vector<std::wstring> local = {L"a", L"Z", L"0", L".",      L"_",      L"+",
                                             L"'", L"!", L"{", L"\u00E9", L"\u4E2D", L"\U0001F600"};
    const std::vector<std::wstring> label = {L"a", L"X", L"9", L"-", L"\u00FC", L"\u0436"};
    const auto pick = [&](const std::vector<std::wstring>& from, size_t most) {
        std::wstring text;
        for (size_t n = 1 + random() % most; n > 0; --n)
            text += from[random() % from.size()];
        return text;
    };
    for (int run = 0; run < 200; ++run) {
        Entries list;
        for (size_t n = random() % 40; n > 0; --n) {
            std::wstring domain = pick(label, 8);
            for (size_t dots = 1 + random() % 3; dots > 0; --dots)
                domain += L"." + pick(label, 6);
            list.push_back((random() % 4 ? pick(local, 12) : L"") + L"@" + domain);
        }
        Entries distinct; // no two entries equal but for ASCII case
        for (const std::wstring& entry : list) {
            if (std::none_of(distinct.begin(), distinct.end(), [&](const std::wstring& other) {
                    return EqualsIgnoringAsciiCase(other, entry);
                }))
                distinct.push_back(entry);
        }
        std::wstring text, error;
        ASSERT_TRUE(DecodeListFile(ExportBytes(distinct), text, error)) << error;
        const ImportedLines lines = ParseImportedLines(text);
        EXPECT_EQ(lines.entries, distinct);
        EXPECT_TRUE(lines.skipped.empty());
    }
}

class ListTransferFileTest : public ::testing::Test {
protected:
    ListTransferFileTest() {
        m_folder = ScratchPath(L"transfer");
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directory(m_folder);
    }
    ~ListTransferFileTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::wstring m_folder;
};

TEST_F(ListTransferFileTest, ImportsAFileOrNamesItWithTheReason) {
    const std::wstring path = m_folder + L"\\list.txt";
    WriteBytes(path, Utf16(L"ann@x.example\r\nfoo bar\r\n", false));
    ImportedLines lines;
    std::wstring error = L"stale";
    ASSERT_TRUE(ImportListFile(path, lines, error));
    EXPECT_EQ(error, L"");
    EXPECT_EQ(lines.entries, Entries{L"ann@x.example"});
    EXPECT_EQ(lines.skipped.size(), 1u);

    const auto refusal = [&](const std::wstring& file) {
        lines.entries = {L"stale"};
        EXPECT_FALSE(ImportListFile(file, lines, error));
        EXPECT_TRUE(lines.entries.empty());
        return error;
    };
    EXPECT_EQ(refusal(m_folder + L"\\absent.txt"),
              m_folder + L"\\absent.txt: the file was not found");
    EXPECT_EQ(refusal(m_folder), m_folder + L": this is a folder, not a file");
    {
        const unique_handle locker(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(locker);
        EXPECT_EQ(refusal(path), path + L": the file is in use by another program");
    }
    WriteBytes(path, "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s);
    EXPECT_EQ(refusal(path), path + L": the file is not a text file");

    // Exactly 16 MB is taken, one byte more is not.
    std::string full = "ann@x.example\r\n";
    full.resize(kImportFileLimit, ' ');
    WriteBytes(path, full);
    ASSERT_TRUE(ImportListFile(path, lines, error)) << error;
    EXPECT_EQ(lines.entries, Entries{L"ann@x.example"});
    WriteBytes(path, full + " ");
    EXPECT_EQ(refusal(path), path + L": the file is larger than 16 MB");
}

TEST_F(ListTransferFileTest, ExportsUtf8LinesOrNamesTheFileInTheError) {
    const Entries entries = {L"ann@caf\u00E9.example", L"@\U0001F600.example", L"b@x.example"};
    const std::string bytes =
        "ann@caf\xC3\xA9.example\r\n@\xF0\x9F\x98\x80.example\r\nb@x.example\r\n";
    EXPECT_EQ(ExportBytes(entries), bytes);
    EXPECT_EQ(ExportBytes({L"a\xD800@x.example"}), "a\xEF\xBF\xBD@x.example\r\n")
        << "a lone surrogate";
    EXPECT_EQ(ExportBytes({}), "");

    const std::wstring path = m_folder + L"\\export.txt";
    std::wstring error = L"stale";
    ASSERT_TRUE(ExportListFile(path, entries, error));
    EXPECT_EQ(error, L"");
    std::string written;
    ASSERT_EQ(ReadWholeFile(path, 1000, written), ERROR_SUCCESS);
    EXPECT_EQ(written, bytes);

    const std::wstring absent = m_folder + L"\\absent\\export.txt";
    EXPECT_FALSE(ExportListFile(absent, entries, error));
    EXPECT_EQ(error, absent + L": " + Win32ErrorText(ERROR_PATH_NOT_FOUND));
}

} // namespace
} // namespace sw::test
