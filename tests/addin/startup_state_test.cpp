// What start-up leaves in the add-in's state when Outlook starts again or
// the add-in is switched off and on: the stored settings count from the
// first command, and the account keys are those of this connection only.
#include "tests/addin/addin_fixture.h"

#include "commands/block_commands.h"
#include "store/settings.h"
#include "tests/harness/import_patch.h"

#include <gmock/gmock.h>

namespace sw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr wchar_t kSettingsPath[] = L"software\\Tallpine\\Spamwarden";

class StartupStateTest : public AddinTest {
protected:
    // Outlook starting again: a fresh module, connected and started.
    com_ptr<_IDTExtensibility2> Restarted() {
        ResetAddinState();
        return Started(L"16.0.0.4266");
    }

    sim::Item& Mail(const wchar_t* sender) {
        auto& box = m_outlook.mailbox();
        sim::Item& mail = box.AddMail(box.Inbox(), sender, {L"me@corp.example"});
        box.Select({&mail});
        return mail;
    }

    std::wstring Stored() const {
        return RegistrySandbox::GetText(ProfileListKey(), L"001f041a").value_or(L"(none)");
    }
};

TEST_F(StartupStateTest, StoredSettingsCountFromTheFirstCommand) {
    CreateProfile(16);
    // The exception turned off in an earlier session: a free-mail domain is
    // blocked whole, before the Options sheet was ever opened.
    RegistrySandbox::SetDword(kSettingsPath, kHasSafeDomainsValue, 0);
    {
        auto connect = Restarted();
        EXPECT_FALSE(g_settings.hasSafeDomains);
        Mail(L"someone@gmail.com");
        BlockSelectedDomains();
        connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    }
    EXPECT_EQ(Stored(), L"@gmail.com;");

    // A partner's domain added to the safe domains: only the sender's own
    // address is blocked.
    RegistrySandbox::SetDword(kSettingsPath, kHasSafeDomainsValue, 1);
    RegistrySandbox::SetText(kSettingsPath, kSafeDomainsValue, L"@partner.example");
    {
        auto connect = Restarted();
        EXPECT_EQ(g_settings.safeDomains, L"@partner.example");
        Mail(L"ann@partner.example");
        BlockSelectedDomains();
        connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    }
    EXPECT_EQ(Stored(), L"@gmail.com;ann@partner.example;");

    // Nothing stored: the built-in list, as before.
    RegistrySandbox::DeleteKey(kSettingsPath);
    {
        auto connect = Restarted();
        EXPECT_TRUE(g_settings.hasSafeDomains);
        EXPECT_EQ(g_settings.safeDomains, BuiltInSafeDomains());
        connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    }
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(StartupStateTest, NewMailIsWatchedOnceAndOnlyWithTheSettingOn) {
    CreateProfile(16);
    // On at first; switched off and on in the COM Add-ins dialog: one
    // subscription all the same.
    com_ptr<_IDTExtensibility2> connect;
    for (int connection = 1; connection <= 3; ++connection) {
        if (connect)
            connect->OnDisconnection(ext_dm_UserClosed, nullptr);
        connect = Started(L"16.0.0.4266");
        connect->OnStartupComplete(nullptr); // a second notification as well
    }
    EXPECT_EQ(m_outlook.FireNewMailEx(L"00"), 1u);
    // A sender blocked now: the next message from it goes to Junk E-mail.
    Mail(L"ann@spam.example");
    BlockSelectedSenders();
    sim::Item& next = m_outlook.mailbox().AddMail(m_outlook.mailbox().Inbox(), L"ann@spam.example",
                                                  {L"me@corp.example"});
    m_outlook.FireNewMailEx(next.entryId);
    EXPECT_TRUE(m_outlook.mailbox().JunkEmail().contains(next));
    connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    connect = nullptr;
    EXPECT_EQ(m_outlook.FireNewMailEx(L"00"), 0u);

    // Off by the user's setting, and on by the user but off by policy: no
    // subscription at all.
    RegistrySandbox::SetDword(kSettingsPath, kMoveNewMailValue, 0);
    connect = Restarted();
    EXPECT_EQ(m_outlook.FireNewMailEx(L"00"), 0u);
    connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    RegistrySandbox::SetDword(kSettingsPath, kMoveNewMailValue, 1);
    RegistrySandbox::SetDword(L"Software\\Policies\\Tallpine\\Spamwarden", kMoveNewMailValue, 0);
    connect = Restarted();
    EXPECT_EQ(m_outlook.FireNewMailEx(L"00"), 0u);
    connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    connect = nullptr;
    EXPECT_EQ(m_outlook.References().count(sim::kAdvisedSinkKind), 0u);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

// Counts the writes of the Blocked Senders value.
struct ListWrites {
    static inline int count = 0;
    static inline ImportPatch* patch = nullptr;
    static LONG WINAPI Hook(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                            DWORD size) {
        if (name && std::wstring(name) == L"001f041a")
            ++count;
        return patch->original<decltype(&RegSetValueExW)>()(key, name, reserved, type, data, size);
    }
};

TEST_F(StartupStateTest, ReconnectingCollectsTheAccountKeysAfresh) {
    CreateProfile(16);
    const std::wstring accounts = L"Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles\\" +
                                  std::wstring(kProfile) + L"\\" + kAccountsSubkey;
    const BYTE first[] = {0x0A, 0x01};
    const BYTE second[] = {0x0B, 0x02};
    RegistrySandbox::SetText(accounts + L"\\00000001", L"Email", L"me@corp.example", REG_BINARY);
    RegistrySandbox::SetValue(accounts + L"\\00000001", L"Preferences UID", REG_BINARY, first,
                              sizeof first);
    RegistrySandbox::SetText(accounts + L"\\00000002", L"Email", L"me@home.example", REG_BINARY);
    RegistrySandbox::SetValue(accounts + L"\\00000002", L"Preferences UID", REG_BINARY, second,
                              sizeof second);

    // Switched off and on in the COM Add-ins dialog, twice: three
    // connections of one module.
    com_ptr<_IDTExtensibility2> connect;
    for (int connection = 1; connection <= 3; ++connection) {
        if (connect)
            connect->OnDisconnection(ext_dm_UserClosed, nullptr);
        connect = Started(L"16.0.0.4266");
    }
    EXPECT_THAT(g_host.accountKeys, ElementsAre(L"0a01", L"0b02"));

    ImportPatch patch("advapi32.dll", "RegSetValueExW", reinterpret_cast<void*>(&ListWrites::Hook));
    ASSERT_TRUE(patch.active());
    ListWrites::patch = &patch;
    ListWrites::count = 0;
    Mail(L"ann@spam.example");
    BlockSelectedSenders();
    // The profile's key and each account's key, once each.
    EXPECT_EQ(ListWrites::count, 3);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
    connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
}

} // namespace
} // namespace sw::test
