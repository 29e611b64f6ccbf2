// The list index against ListContains and AppendMissing: the same answers on
// every text, appends included.
#include "store/list_index.h"

#include "store/list_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace sw {
namespace {

// The text with everything outside printable ASCII escaped, for messages;
// a long text is cut.
std::string Printable(std::wstring_view text) {
    constexpr size_t kShown = 200;
    std::string out;
    for (wchar_t c : text.substr(0, kShown)) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    if (text.size() > kShown)
        return '"' + out + "\"... (" + std::to_string(text.size()) + " characters)";
    return '"' + out + '"';
}

// Lists and queries built to hit the corners of the matching rules: entries
// of a few letters in both cases (so that entries are case variants and
// substrings of each other), non-ASCII letters with case partners, "@" once
// or twice, empty entries, duplicates, a missing final ";".
class ListMaker {
public:
    // `generatorStart` fixes the generator's sequence: a failure repeats.
    explicit ListMaker(unsigned generatorStart) : m_random(generatorStart) {}

    std::wstring Entry() {
        switch (Below(8)) {
        case 0:
            return {};
        case 1:
            return L"@" + Word();
        case 2:
            return Word() + L"@" + Word() + L"@" + Word();
        case 3:
            return Word();
        default:
            return Word() + L"@" + Word();
        }
    }

    std::vector<std::wstring> Entries(size_t count) {
        // A small pool, so that entries repeat.
        std::vector<std::wstring> pool(1 + Below(6) + count / 2);
        for (std::wstring& entry : pool)
            entry = Entry();
        std::vector<std::wstring> entries(count);
        for (std::wstring& entry : entries)
            entry = Below(3) == 0 ? Entry() : pool[Below(pool.size())];
        return entries;
    }

    std::wstring Text(const std::vector<std::wstring>& entries) {
        std::wstring text;
        if (Below(8) == 0)
            text.push_back(L';');
        for (const std::wstring& entry : entries)
            text.append(entry).push_back(L';');
        if (!text.empty() && Below(4) == 0)
            text.pop_back();
        return text;
    }

    // An entry of the list, a case variant of one, two adjacent ones joined
    // by ";", a piece of one, or a stranger.
    std::wstring Query(const std::wstring& text) {
        const size_t at = Below(text.size() + 1);
        const std::wstring piece = PieceAt(text, at);
        switch (Below(6)) {
        case 0:
        case 1:
            return piece;
        case 2:
            return CaseVariant(piece);
        case 3: {
            const size_t next = text.find(L';', at);
            return next == std::wstring::npos ? piece : piece + L";" + PieceAt(text, next + 1);
        }
        case 4:
            return piece.substr(Below(piece.size() + 1));
        default:
            return Entry();
        }
    }

    size_t Below(size_t bound) {
        return std::uniform_int_distribution<size_t>(0, bound - 1)(m_random);
    }

private:
    // The text between the ";" before `at` and the ";" from `at` on.
    static std::wstring PieceAt(const std::wstring& text, size_t at) {
        const size_t before = at == 0 ? std::wstring::npos : text.rfind(L';', at - 1);
        const size_t start = before == std::wstring::npos ? 0 : before + 1;
        const size_t end = std::min(text.find(L';', at), text.size());
        return text.substr(start, end - start);
    }

    std::wstring Word() {
        static constexpr wchar_t kLetters[] = L"aAbBzZ.\u00e9\u00c9\u00df\u03a9\u03c9\u0130i";
        std::wstring word(Below(4), L'\0');
        for (wchar_t& c : word)
            c = kLetters[Below(std::size(kLetters) - 1)];
        return word;
    }

    // Flips the case of some letters: ASCII ones, and the non-ASCII pairs
    // that ListContains must treat as different letters.
    std::wstring CaseVariant(std::wstring text) {
        for (wchar_t& c : text) {
            if (Below(2) == 0)
                continue;
            if (c >= L'a' && c <= L'z')
                c -= L'a' - L'A';
            else if (c >= L'A' && c <= L'Z')
                c += L'a' - L'A';
            else if (c == L'\u00e9' || c == L'\u00c9')
                c ^= L'\u00e9' ^ L'\u00c9';
            else if (c == L'\u03a9' || c == L'\u03c9')
                c ^= L'\u03a9' ^ L'\u03c9';
        }
        return text;
    }

    std::mt19937 m_random;
};

// ListContains, or the same on folded texts when every entry is to match
// without regard to ASCII case.
bool ReferenceContains(std::wstring_view entry, std::wstring_view text, ListMatch match) {
    if (match == ListMatch::AsStored)
        return ListContains(entry, text);
    return ListContains(AsciiCaseFolded(entry), AsciiCaseFolded(text));
}

// Runs queries, appends and merges against one list, on the index and on the
// reference functions side by side. False after reporting the first difference.
bool AgreesThroughout(ListMaker& maker, std::wstring text, int steps,
                      ListMatch match = ListMatch::AsStored) {
    CListIndex index(text, match);
    for (int step = 0; step < steps; ++step) {
        const size_t action = maker.Below(10);
        if (action < 2) {
            const std::wstring entry = maker.Entry();
            index.Append(entry);
            text.append(entry).push_back(L';');
        } else if (action < 3) {
            const std::vector<std::wstring> entries = maker.Entries(maker.Below(4));
            bool expected = false;
            for (const std::wstring& entry : entries) {
                if (!ReferenceContains(entry, text, match)) {
                    text.append(entry).push_back(L';');
                    expected = true;
                }
            }
            if (index.AppendMissing(entries) != expected) {
                ADD_FAILURE() << "AppendMissing answered differently on " << Printable(text);
                return false;
            }
        } else {
            const std::wstring query = maker.Query(text);
            const bool expected = ReferenceContains(query, text, match);
            if (index.Contains(query) != expected) {
                ADD_FAILURE() << "Contains(" << Printable(query) << ") on " << Printable(text)
                              << " should be " << expected;
                return false;
            }
        }
        if (index.Text() != text) {
            ADD_FAILURE() << "text " << Printable(index.Text()) << " should be " << Printable(text);
            return false;
        }
    }
    return true;
}

TEST(ListIndex, AnswersLikeListContainsOnShortLists) {
    ListMaker maker(20240611);
    for (const ListMatch match : {ListMatch::AsStored, ListMatch::IgnoringAsciiCase}) {
        for (int list = 0; list < 20000; ++list) {
            const std::wstring text = maker.Text(maker.Entries(maker.Below(10)));
            ASSERT_TRUE(AgreesThroughout(maker, text, 12, match)) << "list " << list;
        }
    }
}

TEST(ListIndex, AnswersLikeListContainsWhileItsTableGrows) {
    ListMaker maker(65535);
    for (int list = 0; list < 4; ++list) {
        const std::wstring text = maker.Text(maker.Entries(500 + maker.Below(3000)));
        ASSERT_TRUE(AgreesThroughout(maker, text, 2000)) << "list " << list;
    }
}

TEST(ListIndex, KeepsTheRulesOfTheFirstAndTheLastEntry) {
    const CListIndex list(L"John@Example.com;ann@example.org;Bob@example.net");
    EXPECT_TRUE(list.Contains(L"john@EXAMPLE.com"));
    EXPECT_TRUE(list.Contains(L"ann@example.org"));
    EXPECT_FALSE(list.Contains(L"Ann@example.org"));
    EXPECT_FALSE(list.Contains(L"Bob@example.net")); // no ";" after it
    EXPECT_FALSE(list.Contains(L"@example.org"));

    CListIndex joined(L"ann@example.org;bob@");
    joined.Append(L"example.net"); // completes the unterminated last entry
    EXPECT_EQ(joined.Text(), L"ann@example.org;bob@example.net;");
    EXPECT_TRUE(joined.Contains(L"bob@example.net"));
    EXPECT_FALSE(joined.Contains(L"example.net"));

    CListIndex empty(L"");
    EXPECT_FALSE(empty.Contains(L""));
    empty.Append(L"Ann@example.org"); // becomes the first entry
    EXPECT_TRUE(empty.Contains(L"ann@EXAMPLE.org"));
    empty.Append(L"");
    EXPECT_TRUE(empty.Contains(L""));
}

} // namespace
} // namespace sw
