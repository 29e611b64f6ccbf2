// Where the Support mail goes: the administrator's address when one is set
// and usable, else the maker's.
#include "support/support_address.h"
#include "support/support_mail.h"
#include "tests/harness/machine_registry_sandbox.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/support/support_fakes.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::MachineRegistrySandbox;
using test::RegistrySandbox;

constexpr wchar_t kPolicy[] = L"Software\\Policies\\Tallpine\\Spamwarden";
constexpr wchar_t kMachine[] = L"SOFTWARE\\Tallpine\\Spamwarden";

TEST(SupportAddressTest, OnlyAddressesALinkTakesAsTheyAreAreUsable) {
    for (const wchar_t* good : {L"helpdesk@corp.example", L"it-support+spam@mail.corp.example",
                                L"o'brien@corp.example", L"a@b"})
        EXPECT_TRUE(IsUsableSupportAddress(good)) << std::wstring(good).size();
    for (const wchar_t* bad :
         {L"", L"helpdesk", L"@corp.example", L"helpdesk@", L"a@b@c.example",
          L"help desk@corp.example", L"a@corp.example?cc=boss@corp.example",
          L"a&body=x@corp.example", L"a#b@corp.example", L"a%20b@corp.example", L"a,b@corp.example",
          L"a;b@corp.example", L"\"a\"@corp.example", L"<a@corp.example>", L"mailto:a@corp.example",
          L"h\u00e9lp@corp.example", L"a\r\nb@corp.example"})
        EXPECT_FALSE(IsUsableSupportAddress(bad)) << std::wstring(bad).size();
}

TEST(SupportAddressTest, MachinePolicyThenUserPolicyThenThePackageThenTheMaker) {
    RegistrySandbox user;
    MachineRegistrySandbox machine;
    EXPECT_EQ(SupportAddress(), kSupportAddress);

    MachineRegistrySandbox::SetText(kMachine, kSupportAddressValue, L"package@corp.example");
    EXPECT_EQ(SupportAddress(), L"package@corp.example");
    RegistrySandbox::SetText(kPolicy, kSupportAddressValue, L"user-policy@corp.example");
    EXPECT_EQ(SupportAddress(), L"user-policy@corp.example");
    MachineRegistrySandbox::SetText(kPolicy, kSupportAddressValue, L"machine-policy@corp.example");
    EXPECT_EQ(SupportAddress(), L"machine-policy@corp.example");

    // Unusable values are passed over, down to the maker's address.
    MachineRegistrySandbox::SetText(kPolicy, kSupportAddressValue, L"x@y?subject=hi");
    EXPECT_EQ(SupportAddress(), L"user-policy@corp.example");
    RegistrySandbox::SetText(kPolicy, kSupportAddressValue, L"");
    EXPECT_EQ(SupportAddress(), L"package@corp.example");
    MachineRegistrySandbox::SetText(kMachine, kSupportAddressValue, L"nobody");
    EXPECT_EQ(SupportAddress(), kSupportAddress);
    // A value of another type is no address.
    const DWORD number = 1;
    MachineRegistrySandbox::SetValue(kMachine, kSupportAddressValue, REG_DWORD, &number,
                                     sizeof number);
    EXPECT_EQ(SupportAddress(), kSupportAddress);
}

TEST(SupportAddressTest, TheSupportMailGoesToTheAdministratorsAddress) {
    RegistrySandbox user;
    MachineRegistrySandbox machine;
    MachineRegistrySandbox::SetText(kMachine, kSupportAddressValue, L"helpdesk@corp.example");
    test::ShellRecorder shell;
    test::VersionQueryFake version(0, VER_PLATFORM_WIN32_NT, 6, 1);
    OpenSupportMail();
    ASSERT_EQ(shell.targets().size(), 1u);
    EXPECT_EQ(shell.targets()[0].rfind(L"mailto:helpdesk@corp.example?body= Please", 0), 0u);
}

} // namespace
} // namespace sw
