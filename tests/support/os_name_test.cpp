#include "support/os_name.h"
#include "tests/support/support_fakes.h"

#include <gtest/gtest.h>

#include <string>

namespace sw {
namespace {

using test::VersionQueryFake;

struct NameCase {
    DWORD platformId;
    DWORD major;
    DWORD minor;
    const wchar_t* servicePack;
    const wchar_t* name;
};

constexpr NameCase kNameCases[] = {
    {0, 3, 11, L"", L"Microsoft Win32s"},
    {0, 0, 0, L"", L"Microsoft Win32s"},
    // Windows 95: OSR2 is marked by "B" or "C" in the second character.
    {1, 4, 0, L"", L"Microsoft Windows 95 "},
    {1, 4, 0, L" C", L"Microsoft Windows 95 OSR2 "},
    {1, 4, 0, L" B", L"Microsoft Windows 95 OSR2 "},
    {1, 4, 0, L" A", L"Microsoft Windows 95 "},
    {1, 4, 0, L"C", L"Microsoft Windows 95 "},
    // Windows 98: Second Edition is marked by "A" or "B".
    {1, 4, 10, L"", L"Microsoft Windows 98 "},
    {1, 4, 10, L" A", L"Microsoft Windows 98 SE "},
    {1, 4, 10, L" B", L"Microsoft Windows 98 SE "},
    {1, 4, 10, L" C", L"Microsoft Windows 98 "},
    {1, 4, 90, L" A", L"Microsoft Windows Millennium Edition"},
    {1, 4, 3, L"", L""},
    {1, 5, 0, L"", L""},
    {2, 3, 51, L"", L"Microsoft Windows NT "},
    {2, 4, 0, L"Service Pack 6", L"Microsoft Windows NT "},
    {2, 5, 0, L"", L"Microsoft Windows 2000 "},
    {2, 5, 1, L"Service Pack 3", L"Microsoft Windows XP "},
    {2, 5, 2, L"",
     L"Microsoft Windows XP Professional x64 Edition / Microsoft Windows Server 2003, "},
    {2, 5, 3, L"", L""},
    {2, 6, 0, L"", L"Windows Vista / Windows Server 2008 "},
    {2, 6, 1, L"Service Pack 1", L"Windows 7 / Windows Server 2008 R2 "},
    // Later NT systems: the name Windows gives itself and the version
    // (build 9200 and up as below).
    {2, 6, 2, L"", L"Windows 8 6.2.9200 "},
    {2, 6, 3, L"", L"Windows 8.1 6.3.9200 "},
    {2, 6, 4, L"", L""},
    {2, 10, 0, L"", L"Windows 10 10.0.9200 "},
    {2, 11, 0, L"", L"Windows 11.0.9200 "},
    {3, 4, 0, L"", L""},
    {99, 6, 1, L"", L""},
};

TEST(OsNameTest, VersionTable) {
    for (const NameCase& c : kNameCases) {
        OsVersion version{c.platformId, c.major, c.minor, 9200, c.servicePack};
        EXPECT_EQ(OsNameFromVersion(version), c.name)
            << "platform " << c.platformId << ", version " << c.major << "." << c.minor;
    }
}

TEST(OsNameTest, QueriesTheExtendedRecordFirst) {
    VersionQueryFake fake(0, VER_PLATFORM_WIN32_NT, 6, 1, L"Service Pack 1");
    EXPECT_EQ(GetOsName(), L"Windows 7 / Windows Server 2008 R2 ");
    EXPECT_EQ(fake.recordSizes(), (std::vector<DWORD>{284}));
}

TEST(OsNameTest, FallsBackToTheBasicRecordThenToNothing) {
    {
        VersionQueryFake fake(1, VER_PLATFORM_WIN32_WINDOWS, 4, 0, L" C");
        EXPECT_EQ(GetOsName(), L"Microsoft Windows 95 OSR2 ");
        EXPECT_EQ(fake.recordSizes(), (std::vector<DWORD>{284, 276}));
    }
    {
        VersionQueryFake fake(2, VER_PLATFORM_WIN32_NT, 6, 1);
        EXPECT_EQ(GetOsName(), L"");
        EXPECT_EQ(fake.recordSizes(), (std::vector<DWORD>{284, 276}));
    }
}

TEST(OsNameTest, WindowsTenAndElevenAreToldApartByTheBuild) {
    EXPECT_EQ(OsNameFromVersion({VER_PLATFORM_WIN32_NT, 10, 0, 19045, L""}),
              L"Windows 10 10.0.19045 ");
    EXPECT_EQ(OsNameFromVersion({VER_PLATFORM_WIN32_NT, 10, 0, 22000, L""}),
              L"Windows 11 10.0.22000 ");
    EXPECT_EQ(OsNameFromVersion({VER_PLATFORM_WIN32_NT, 10, 0, 22631, L""}),
              L"Windows 11 10.0.22631 ");
}

// The true version of the system behind a version query that says 6.2.
bool Windows11(OsVersion& version) {
    version.major = 10;
    version.minor = 0;
    version.build = 22631;
    return true;
}
bool NoTrueVersion(OsVersion&) {
    return false;
}

TEST(OsNameTest, FromWindows8OnTheTrueVersionIsAskedFor) {
    VersionQueryFake fake(0, VER_PLATFORM_WIN32_NT, 6, 2);
    const TrueVersionSource previous = SetTrueVersionSource(&Windows11);
    EXPECT_EQ(GetOsName(), L"Windows 11 10.0.22631 ");
    SetTrueVersionSource(&NoTrueVersion);
    EXPECT_EQ(GetOsName().substr(0, 14), L"Windows 8 6.2.") << "what the query said";
    SetTrueVersionSource(previous);
    // Windows 7 is taken as the query says it.
    VersionQueryFake seven(0, VER_PLATFORM_WIN32_NT, 6, 1);
    SetTrueVersionSource(&Windows11);
    EXPECT_EQ(GetOsName(), L"Windows 7 / Windows Server 2008 R2 ");
    SetTrueVersionSource(nullptr);
}

TEST(OsNameTest, TheRealSystemHasAName) {
    // Wine, like every Windows since 8, answers 6.2 to the plain query.
    EXPECT_FALSE(GetOsName().empty());
}

} // namespace
} // namespace sw
