#include "store/state.h"
#include "support/support_mail.h"
#include "tests/support/support_fakes.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::ShellRecorder;
using test::VersionQueryFake;

constexpr wchar_t kWindows7Link[] =
    L"mailto:support@tallpine.example?body= Please provide the following info to help us "
    L"troubleshooting. Thanks. %0a%0d Operation System: Windows 7 / Windows Server 2008 R2  "
    L"%0a%0d Outlook Version: 12 %0a%0d Product: Spamwarden %0a%0d Product Version: 2.0 %0a%0d "
    L"Problem Description: (Step by Step) %0a%0d Screenshot(s): (Optional) %0a%0d Please attach "
    L"sample files (.dwg and/or .xls) to help us troubleshooting if applicable. %0a%0d We will "
    L"working on your problem and give you answers ASAP.";

// No system name and a host that has not completed start-up.
constexpr wchar_t kUnknownSystemLink[] =
    L"mailto:support@tallpine.example?body= Please provide the following info to help us "
    L"troubleshooting. Thanks. %0a%0d Operation System:  %0a%0d Outlook Version: 0 %0a%0d "
    L"Product: Spamwarden %0a%0d Product Version: 2.0 %0a%0d Problem Description: (Step by "
    L"Step) %0a%0d Screenshot(s): (Optional) %0a%0d Please attach sample files (.dwg and/or "
    L".xls) to help us troubleshooting if applicable. %0a%0d We will working on your problem "
    L"and give you answers ASAP.";

class SupportMailTest : public ::testing::Test {
protected:
    void TearDown() override { g_host.capabilities = HostCapabilities(0); }
    ShellRecorder m_shell;
};

TEST_F(SupportMailTest, LinkCarriesTheValuesUnescaped) {
    EXPECT_EQ(SupportMailLink(L"Windows 7 / Windows Server 2008 R2 ", 12), kWindows7Link);
    EXPECT_EQ(SupportMailLink(L"", 0), kUnknownSystemLink);
}

TEST_F(SupportMailTest, OpensTheLinkForTheRunningSystemAndHost) {
    VersionQueryFake fake(0, VER_PLATFORM_WIN32_NT, 6, 1);
    g_host.capabilities = HostCapabilities(12);
    OpenSupportMail();
    ASSERT_EQ(m_shell.targets().size(), 1u);
    EXPECT_EQ(m_shell.targets()[0], kWindows7Link);
}

TEST_F(SupportMailTest, BeforeStartUpAndWithoutASystemNameTheMailStillOpens) {
    VersionQueryFake fake(2, VER_PLATFORM_WIN32_NT, 6, 1);
    OpenSupportMail();
    ASSERT_EQ(m_shell.targets().size(), 1u);
    EXPECT_EQ(m_shell.targets()[0], kUnknownSystemLink);
}

} // namespace
} // namespace sw
