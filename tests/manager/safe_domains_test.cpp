#include "manager/safe_domains.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using Rows = std::vector<std::wstring>;

TEST(SafeDomains, RowsAreTheTokensAsStored) {
    EXPECT_EQ(SafeDomainRows(L"@a.example;;@b.example;"), (Rows{L"@a.example", L"@b.example"}));
    EXPECT_EQ(SafeDomainRows(L" @a.example ;@a.example"), (Rows{L" @a.example ", L"@a.example"}));
    EXPECT_TRUE(SafeDomainRows(L"").empty());
    EXPECT_TRUE(SafeDomainRows(L";").empty());
}

TEST(SafeDomains, AddRefusesATextSomeRowBeginsWith) {
    const Rows rows{L"@example.com", L"@Mail.example"};
    EXPECT_TRUE(HasRowStartingWith(rows, L"@example.com"));
    EXPECT_TRUE(HasRowStartingWith(rows, L"@EXAMPLE"));
    EXPECT_TRUE(HasRowStartingWith(rows, L"@mail."));
    EXPECT_TRUE(HasRowStartingWith(rows, L""));
    EXPECT_FALSE(HasRowStartingWith(rows, L"@example.com.au"));
    EXPECT_FALSE(HasRowStartingWith(rows, L"example"));
    EXPECT_FALSE(HasRowStartingWith({}, L""));
}

TEST(SafeDomains, StoredFormIsTrimmedWithoutBlankOrTrailingEntries) {
    EXPECT_EQ(BuildSafeDomains({L"@a.example", L" @b.example\t", L"   ", L"", L"@c.example;"}),
              L"@a.example;@b.example;@c.example");
    EXPECT_EQ(BuildSafeDomains({L"@a.example", L"@a.example"}), L"@a.example;@a.example");
    EXPECT_EQ(BuildSafeDomains({L"x;y", L"z;;"}), L"x;y;z");
    EXPECT_EQ(BuildSafeDomains({L" ", L";"}), L"");
    EXPECT_EQ(BuildSafeDomains({}), L"");
}

} // namespace
} // namespace sw
