// The capacity of the junk lists: levels at the edges of both limits and the
// text the page and the warning show.
#include "store/list_capacity.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

TEST(ListCapacity, LevelsPassAtNinetyAndAHundredPercentOfEitherLimit) {
    // 90 % of 522,240 bytes is 470,016; of 65,535 entries 58,981.5.
    EXPECT_EQ((ListCapacity{470016, 0}).Level(), CapacityLevel::Normal);
    EXPECT_EQ((ListCapacity{470017, 0}).Level(), CapacityLevel::Warning);
    EXPECT_EQ((ListCapacity{0, 58981}).Level(), CapacityLevel::Normal);
    EXPECT_EQ((ListCapacity{0, 58982}).Level(), CapacityLevel::Warning);
    EXPECT_EQ((ListCapacity{522240, 65535}).Level(), CapacityLevel::Warning) << "at, not past";
    EXPECT_EQ((ListCapacity{522241, 10}).Level(), CapacityLevel::Over);
    EXPECT_EQ((ListCapacity{10, 65536}).Level(), CapacityLevel::Over);

    EXPECT_EQ((ListCapacity{261120, 0}).Percent(), 50u);
    EXPECT_EQ((ListCapacity{261120, 65535}).Percent(), 100u) << "the fuller one counts";
    EXPECT_EQ((ListCapacity{1044480, 0}).Percent(), 200u) << "past the limit keeps counting";
}

TEST(ListCapacity, SizeIsWhatTheTwoStoredValuesTake) {
    EXPECT_EQ(StoredListBytes(L""), 0u);
    EXPECT_EQ(StoredListBytes(L"a@b.c;"), 14u) << "six units and the terminating 0";
    EXPECT_EQ(CountListEntries(L""), 0u);
    EXPECT_EQ(CountListEntries(L"a@b.c;;@d.e;"), 2u);
    EXPECT_EQ(CountListEntries(L"a@b.c;@d.e"), 2u) << "a last entry without its ;";

    const ListCapacity capacity = CapacityOf(L"a@b.c;@d.e;", L"boss@corp.example;");
    EXPECT_EQ(capacity.bytes, 24u + 38u);
    EXPECT_EQ(capacity.entries, 2u) << "only blocked entries count";
}

TEST(ListCapacity, TextGroupsThousandsAndRoundsKilobytesUp) {
    EXPECT_EQ((ListCapacity{75776, 2431}).Text(), L"2,431 entries \u00B7 74 KB of 510 KB");
    EXPECT_EQ((ListCapacity{14, 1}).Text(), L"1 entry \u00B7 1 KB of 510 KB");
    EXPECT_EQ((ListCapacity{0, 0}).Text(), L"0 entries \u00B7 0 KB of 510 KB");
    // Copies in another letter case are stored but no row: the count beside
    // them is the list's own.
    EXPECT_EQ((ListCapacity{3072, 50, 2}).Text(), L"48 entries + 2 copies \u00B7 3 KB of 510 KB");
    EXPECT_EQ((ListCapacity{3072, 2, 1}).Text(), L"1 entry + 1 copy \u00B7 3 KB of 510 KB");
    EXPECT_EQ((ListCapacity{600000, 1234567}).Text(), L"1,234,567 entries \u00B7 586 KB of 510 KB");
    EXPECT_EQ(GroupedNumber(999), L"999");
    EXPECT_EQ(GroupedNumber(1000), L"1,000");
    EXPECT_EQ(GroupedNumber(65535), L"65,535");
}

} // namespace
} // namespace sw
