#include "store/list_text.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

TEST(DomainOfAddress, TakesEverythingFromTheFirstAt) {
    EXPECT_EQ(DomainOfAddress(L"john@example.com"), L"@example.com");
    EXPECT_EQ(DomainOfAddress(L"@example.com"), L"@example.com");
    EXPECT_EQ(DomainOfAddress(L"a@b@example.com"), L"@b@example.com");
    EXPECT_EQ(DomainOfAddress(L"john@"), L"@");
    EXPECT_EQ(DomainOfAddress(L"John@Example.COM"), L"@Example.COM");
    EXPECT_EQ(DomainOfAddress(L"john"), L"");
    EXPECT_EQ(DomainOfAddress(L""), L"");
}

TEST(ListContains, FirstEntryIgnoresAsciiCaseLaterEntriesMatchExactly) {
    EXPECT_TRUE(ListContains(L"john@example.com", L"John@Example.com;ann@example.org;"));
    EXPECT_FALSE(ListContains(L"john@example.com", L"ann@example.org;John@Example.com;"));
    EXPECT_TRUE(ListContains(L"ann@example.org", L"bob@example.net;ann@example.org;"));
    // Only ASCII letters fold: a non-ASCII letter in other case is a different entry.
    EXPECT_FALSE(ListContains(L"\u00e9@example.com", L"\u00c9@example.com;"));
    EXPECT_TRUE(ListContains(L"\u00e9@EXAMPLE.com", L"\u00e9@example.com;"));
}

TEST(ListContains, MatchesWholeTerminatedEntriesOnly) {
    EXPECT_FALSE(ListContains(L"x@example.com", L""));
    EXPECT_FALSE(ListContains(L"bob@example.net", L"ann@example.org;bob@example.net"));
    EXPECT_FALSE(ListContains(L"b@example.com", L"ab@example.com;"));
    EXPECT_FALSE(ListContains(L"@example.com", L"ann@example.com;"));
    EXPECT_FALSE(ListContains(L"ann", L"ann@example.com;"));
}

TEST(ListContains, EmptyEntryOnlyWithLeadingOrDoubledSeparator) {
    EXPECT_FALSE(ListContains(L"", L""));
    EXPECT_FALSE(ListContains(L"", L"a@x.org;b@x.org;"));
    EXPECT_TRUE(ListContains(L"", L";a@x.org;"));
    EXPECT_TRUE(ListContains(L"", L"a@x.org;;b@x.org;"));
}

TEST(AppendMissing, AppendsInOrderAndSeesItsOwnAdditions) {
    std::wstring list = L"ann@example.org;";
    EXPECT_FALSE(AppendMissing(list, {}));
    EXPECT_EQ(list, L"ann@example.org;");

    std::wstring empty;
    EXPECT_TRUE(AppendMissing(empty, {L"x@example.com", L"x@example.com"}));
    EXPECT_EQ(empty, L"x@example.com;");

    EXPECT_TRUE(AppendMissing(list, {L"C@example.com", L"c@example.com"}));
    EXPECT_EQ(list, L"ann@example.org;C@example.com;c@example.com;");

    EXPECT_FALSE(AppendMissing(list, {L"ANN@example.org", L"c@example.com"}));
}

std::vector<std::wstring> Tokens(const std::wstring& text) {
    CListTokenizer tokenizer(text, L";");
    std::vector<std::wstring> tokens;
    std::wstring token = L"stale";
    while (tokenizer.NextToken(token))
        tokens.push_back(token);
    EXPECT_EQ(token, L"") << "the output is emptied when no entry is left";
    EXPECT_FALSE(tokenizer.NextToken(token));
    return tokens;
}

TEST(CListTokenizer, CollapsesDelimiterRunsAndKeepsSpaces) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(Tokens(L";;a;;b;"), (V{L"a", L"b"}));
    EXPECT_EQ(Tokens(L""), V{});
    EXPECT_EQ(Tokens(L";"), V{});
    EXPECT_EQ(Tokens(L" a ; b"), (V{L" a ", L" b"}));
    EXPECT_EQ(Tokens(L"@x.org;@y.org"), (V{L"@x.org", L"@y.org"}));
}

TEST(CListTokenizer, EveryDelimiterCharacterSplits) {
    CListTokenizer tokenizer(L"a,b;c", L";,");
    std::wstring token;
    ASSERT_TRUE(tokenizer.NextToken(token));
    EXPECT_EQ(token, L"a");
    ASSERT_TRUE(tokenizer.NextToken(token));
    EXPECT_EQ(token, L"b");
    ASSERT_TRUE(tokenizer.NextToken(token));
    EXPECT_EQ(token, L"c");
}

} // namespace
} // namespace sw
