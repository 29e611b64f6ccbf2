#include "manager/blocked_senders_list.h"
#include "manager/entry_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace sw {
namespace {

using Rows = std::vector<std::wstring>;

// The one-by-one walk the page's order is defined by: insert before the first
// entry that sorts after the text, nothing at an equal entry.
Rows WalkInsert(const Rows& texts) {
    auto folded = [](std::wstring s) {
        for (wchar_t& c : s)
            if (c >= L'A' && c <= L'Z')
                c = static_cast<wchar_t>(c - L'A' + L'a');
        return s;
    };
    Rows entries;
    for (const std::wstring& text : texts) {
        auto place = entries.begin();
        bool equal = false;
        for (; place != entries.end(); ++place) {
            const std::wstring a = folded(*place), b = folded(text);
            if (a == b)
                equal = true;
            if (a >= b)
                break;
        }
        if (!equal)
            entries.insert(place, text);
    }
    return entries;
}

std::wstring Joined(const Rows& rows) {
    std::wstring text;
    for (const std::wstring& row : rows)
        text += row + L";";
    return text;
}

BlockedSendersList Loaded(std::wstring_view text) {
    BlockedSendersList list;
    list.Load(text);
    return list;
}

TEST(EntryOrder, FoldsOnlyAsciiLettersAndComparesCodeUnits) {
    EXPECT_EQ(CompareIgnoringAsciiCase(L"Ann@Example.COM", L"ann@example.com"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(L"9", L"@"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(L"@", L"_"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(L"_", L"A"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(L"Z", L"\u00e9"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(L"ann", L"anna"), 0);
    EXPECT_LT(CompareIgnoringAsciiCase(L"", L"a"), 0);
    // Not folded: a capital and a small e-acute are two entries.
    EXPECT_NE(CompareIgnoringAsciiCase(L"\u00c9@example.com", L"\u00e9@example.com"), 0);
    // Units above 0x7FFF still sort after ASCII.
    EXPECT_GT(CompareIgnoringAsciiCase(L"\uff21", L"z"), 0);
}

TEST(BlockedSendersList, LoadSortsAndKeepsTheFirstOfEqualEntries) {
    BlockedSendersList list =
        Loaded(L";b@x.com;;A@x.com;a@X.com; c@y.org;\u00c9@z.com;\u00e9@z.com;");
    EXPECT_EQ(list.Entries(),
              (Rows{L" c@y.org", L"A@x.com", L"b@x.com", L"\u00c9@z.com", L"\u00e9@z.com"}));
    EXPECT_FALSE(list.Modified());
}

TEST(BlockedSendersList, LoadAndInsertSortedGiveTheWalkResult) {
    // Addresses that collide under the order in several spellings, in random order.
    std::mt19937 random(20240611);
    Rows texts;
    const wchar_t* locals[] = {L"ann", L"Ann", L"bob", L"BOB", L"_x", L"9z", L"\u00e9", L"\u00c9"};
    const wchar_t* domains[] = {L"@example.com", L"@EXAMPLE.com", L"@ex.org", L"", L"@"};
    for (int i = 0; i < 600; ++i)
        texts.push_back(std::wstring(locals[random() % 8]) + std::to_wstring(random() % 7) +
                        domains[random() % 5]);
    const Rows expected = WalkInsert(texts);

    EXPECT_EQ(Loaded(Joined(texts)).Entries(), expected);

    BlockedSendersList oneByOne;
    for (const std::wstring& text : texts)
        oneByOne.InsertSorted(text);
    EXPECT_EQ(oneByOne.Entries(), expected);
    EXPECT_FALSE(oneByOne.InsertSorted(expected[expected.size() / 2]));
}

TEST(BlockedSendersList, FindRowMatchesWholeTextsForwardAndWraps) {
    BlockedSendersList list = Loaded(L"a@x.com;b@x.com;c@x.com;");
    EXPECT_EQ(list.FindRow(L"B@X.COM", 0), 1);
    EXPECT_EQ(list.FindRow(L"a@x.com", 1), 0); // wraps past the last row
    EXPECT_EQ(list.FindRow(L"c@x.com", 99), 2);
    list.ApplyFilter(L"c@");
    EXPECT_EQ(list.FindRow(L"c@x.com", 0), 0); // rows of the shown list
    EXPECT_EQ(list.FindRow(L"a@x.com", 0), -1);
}

TEST(BlockedSendersList, RemoveDeletesTheShownRowsAndRefilters) {
    BlockedSendersList list = Loaded(L"a@x.com;b@y.com;c@x.com;d@x.com;e@y.com;");
    list.ApplyFilter(L"@x");
    ASSERT_EQ(list.Shown(), (Rows{L"a@x.com", L"c@x.com", L"d@x.com"}));
    EXPECT_TRUE(list.RemoveRows(std::vector<int>{2, 0, 7, -1}));
    EXPECT_EQ(list.Entries(), (Rows{L"b@y.com", L"c@x.com", L"e@y.com"}));
    EXPECT_EQ(list.Shown(), (Rows{L"c@x.com"}));
    EXPECT_TRUE(list.Modified());

    BlockedSendersList all = Loaded(L"a@x.com;b@x.com;");
    all.RemoveRows(std::vector<int>{1, 0});
    EXPECT_TRUE(all.Modified());
    EXPECT_EQ(all.ListText(), L"");
}

TEST(BlockedSendersList, EditReplacesMergesAndIgnoresACaseChange) {
    BlockedSendersList list = Loaded(L"ann@example.com;bob@example.com;");
    EXPECT_FALSE(list.EditEntry(L"ann@example.com", L"ANN@Example.com"));
    EXPECT_FALSE(list.Modified());
    EXPECT_EQ(list.Entries()[0], L"ann@example.com");

    EXPECT_TRUE(list.EditEntry(L"ann@example.com", L"zed@example.com"));
    EXPECT_EQ(list.Entries(), (Rows{L"bob@example.com", L"zed@example.com"}));

    // Onto another entry: the two merge, the other's spelling stays.
    list.EditEntry(L"zed@example.com", L"BOB@example.com");
    EXPECT_EQ(list.Entries(), (Rows{L"bob@example.com"}));

    // To the empty text: an empty first row, never written out.
    list.InsertSorted(L"carl@example.com");
    list.EditEntry(L"bob@example.com", L"");
    EXPECT_EQ(list.Entries(), (Rows{L"", L"carl@example.com"}));
    EXPECT_EQ(list.ListText(), L"carl@example.com;");
}

TEST(BlockedSendersList, ConvertTurnsTheRowsAddressesIntoDomains) {
    BlockedSendersList list =
        Loaded(L"ann@example.com;bob@Example.com;@test.org;carl@a@b.net;dave;eve@other.net;");
    // Rows: @test.org, ann@example.com, bob@Example.com, carl@a@b.net, dave, eve@other.net
    EXPECT_TRUE(list.ConvertRowsToDomain(std::vector<int>{3, 1, 2, 1}));
    EXPECT_EQ(list.Entries(),
              (Rows{L"@a@b.net", L"@example.com", L"@test.org", L"dave", L"eve@other.net"}));

    BlockedSendersList plain = Loaded(L"dave;");
    EXPECT_FALSE(plain.ConvertRowsToDomain(std::vector<int>{0}));
    EXPECT_FALSE(plain.Modified());

    BlockedSendersList domain = Loaded(L"@test.org;");
    EXPECT_TRUE(domain.ConvertRowsToDomain(std::vector<int>{0}));
    EXPECT_TRUE(domain.Modified());
    EXPECT_EQ(domain.Entries(), (Rows{L"@test.org"}));
}

TEST(BlockedSendersList, ConvertFollowsTheRowsInOrder) {
    // The first row's domain equals the second row under the order, so it
    // merges into it; the second row is then converted onto itself and
    // keeps its spelling.
    BlockedSendersList list = Loaded(L"@X.com;1@x.com;");
    ASSERT_EQ(list.Entries(), (Rows{L"1@x.com", L"@X.com"}));
    list.ConvertRowsToDomain(std::vector<int>{1, 0});
    EXPECT_EQ(list.Entries(), (Rows{L"@X.com"}));
}

} // namespace
} // namespace sw
