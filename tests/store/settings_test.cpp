#include "store/list_text.h"
#include "store/settings.h"
#include "store/state.h"
#include "tests/harness/machine_registry_sandbox.h"
#include "tests/harness/registry_sandbox.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::RegistrySandbox;

constexpr wchar_t kSectionPath[] = L"software\\Tallpine\\Spamwarden";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetAddinState(); }
    void TearDown() override { ResetAddinState(); }
    RegistrySandbox m_sandbox;
};

TEST_F(SettingsTest, BeforeTheRootIsSetReadsGiveDefaultsAndWritesFailUntouched) {
    EXPECT_EQ(ReadSettingDword(kSettingsSection, kSynListsValue, 7u), 7u);
    EXPECT_EQ(ReadSettingText(kSettingsSection, kSafeDomainsValue, L"dflt"), L"dflt");
    EXPECT_FALSE(WriteSettingDword(kSettingsSection, kSynListsValue, 0));
    EXPECT_FALSE(WriteSettingText(kSettingsSection, kSafeDomainsValue, L"@x.example"));
    EXPECT_FALSE(RegistrySandbox::KeyExists(L"software\\Tallpine"));
}

TEST_F(SettingsTest, InitialValuesAreOnWithElevenBuiltInDomains) {
    EXPECT_TRUE(g_settings.synLists);
    EXPECT_TRUE(g_settings.hasSafeDomains);
    EXPECT_EQ(g_settings.safeDomains, BuiltInSafeDomains());
    EXPECT_NE(g_settings.safeDomains.back(), L';');
    CListTokenizer tokenizer(g_settings.safeDomains, L";");
    std::wstring entry;
    int count = 0;
    while (tokenizer.NextToken(entry)) {
        ++count;
        EXPECT_EQ(entry.front(), L'@') << "domain entries only";
        EXPECT_TRUE(
            ListContains(DomainOfAddress(L"someone" + entry), g_settings.safeDomains + L";"));
    }
    EXPECT_EQ(count, 11);
}

TEST_F(SettingsTest, ValuesRoundTripAndReadingCreatesTheKeys) {
    SetSettingsRoot(HKEY_CURRENT_USER, kSettingsMaker);
    EXPECT_EQ(ReadSettingDword(kSettingsSection, kSynListsValue, 1), 1u);
    EXPECT_TRUE(RegistrySandbox::KeyExists(kSectionPath)) << "opened with create semantics";

    EXPECT_TRUE(WriteSettingDword(kSettingsSection, kHasSafeDomainsValue, 0));
    EXPECT_TRUE(WriteSettingText(kSettingsSection, kSafeDomainsValue, L"@a.example;@b.example"));
    EXPECT_EQ(ReadSettingDword(kSettingsSection, kHasSafeDomainsValue, 1), 0u);
    EXPECT_EQ(ReadSettingText(kSettingsSection, kSafeDomainsValue, L"dflt"),
              L"@a.example;@b.example");

    auto stored = RegistrySandbox::GetValue(kSectionPath, kSafeDomainsValue);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored->data.size(), (21u + 1) * 2);
    stored = RegistrySandbox::GetValue(kSectionPath, kHasSafeDomainsValue);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_DWORD));

    EXPECT_TRUE(WriteSettingText(kSettingsSection, kSafeDomainsValue, L""));
    EXPECT_EQ(ReadSettingText(kSettingsSection, kSafeDomainsValue, BuiltInSafeDomains()), L"")
        << "a stored empty list stays empty";
}

TEST_F(SettingsTest, OddlyStoredValuesReadSafely) {
    SetSettingsRoot(HKEY_CURRENT_USER, kSettingsMaker);
    const BYTE two[] = {1, 0};
    RegistrySandbox::SetValue(kSectionPath, kSynListsValue, REG_BINARY, two, sizeof two);
    EXPECT_EQ(ReadSettingDword(kSettingsSection, kSynListsValue, 9), 9u) << "fewer than 4 bytes";
    const BYTE eight[8] = {1};
    RegistrySandbox::SetValue(kSectionPath, kSynListsValue, REG_QWORD, eight, sizeof eight);
    EXPECT_EQ(ReadSettingDword(kSettingsSection, kSynListsValue, 9), 9u) << "more than 4 bytes";
    RegistrySandbox::SetDword(kSectionPath, kSynListsValue, 5);
    EXPECT_TRUE(FlagFromDword(ReadSettingDword(kSettingsSection, kSynListsValue, 0)));
    EXPECT_FALSE(FlagFromDword(0));

    // Text without a terminator, of odd length, or of another type.
    const wchar_t raw[] = {L'@', L'x', L'.', L'e'};
    RegistrySandbox::SetValue(kSectionPath, kSafeDomainsValue, REG_BINARY, raw, sizeof raw);
    EXPECT_EQ(ReadSettingText(kSettingsSection, kSafeDomainsValue, L"d"), L"@x.e");
    RegistrySandbox::SetValue(kSectionPath, kSafeDomainsValue, REG_BINARY, raw, sizeof raw - 1);
    EXPECT_EQ(ReadSettingText(kSettingsSection, kSafeDomainsValue, L"d"), L"@x.");
    RegistrySandbox::SetDword(kSectionPath, kSafeDomainsValue, 0x0041);
    EXPECT_EQ(ReadSettingText(kSettingsSection, kSafeDomainsValue, L"d"), L"A");
    EXPECT_EQ(ReadSettingText(kSettingsSection, L"Missing", L"d"), L"d");
}

TEST_F(SettingsTest, PolicyValuesStandInForTheUsersAndTheMachinesWin) {
    test::MachineRegistrySandbox machine;
    SetSettingsRoot(HKEY_CURRENT_USER, kSettingsMaker);
    constexpr wchar_t kPolicy[] = L"Software\\Policies\\Tallpine\\Spamwarden";
    RegistrySandbox::SetDword(kSectionPath, kHasSafeDomainsValue, 1);
    RegistrySandbox::SetText(kSectionPath, kSafeDomainsValue, L"@mine.example");
    RegistrySandbox::SetDword(kSectionPath, kMoveEarlierValue, 0);
    LoadSettings();
    EXPECT_FALSE(g_settings.policySet.hasSafeDomains || g_settings.policySet.safeDomains ||
                 g_settings.policySet.moveEarlier);
    EXPECT_EQ(g_settings.safeDomains, L"@mine.example");

    RegistrySandbox::SetDword(kPolicy, kMoveEarlierValue, 1);
    RegistrySandbox::SetText(kPolicy, kSafeDomainsValue, L"@users.example");
    test::MachineRegistrySandbox::SetText(kPolicy, kSafeDomainsValue, L"@corp.example");
    const DWORD off = 0;
    test::MachineRegistrySandbox::SetValue(kPolicy, kHasSafeDomainsValue, REG_DWORD, &off,
                                           sizeof off);
    LoadSettings();
    EXPECT_TRUE(g_settings.moveEarlier);
    EXPECT_EQ(g_settings.safeDomains, L"@corp.example") << "the machine's policy wins";
    EXPECT_FALSE(g_settings.hasSafeDomains);
    EXPECT_TRUE(g_settings.policySet.hasSafeDomains && g_settings.policySet.safeDomains &&
                g_settings.policySet.moveEarlier);
    // The user's own settings stay as they were stored.
    EXPECT_EQ(RegistrySandbox::GetText(kSectionPath, kSafeDomainsValue), L"@mine.example");

    // A policy value of the wrong type is no policy.
    test::MachineRegistrySandbox::SetText(kPolicy, kHasSafeDomainsValue, L"0");
    RegistrySandbox::DeleteValue(kPolicy, kMoveEarlierValue);
    LoadSettings();
    EXPECT_FALSE(g_settings.policySet.hasSafeDomains);
    EXPECT_FALSE(g_settings.policySet.moveEarlier);
    EXPECT_TRUE(g_settings.hasSafeDomains);
}

} // namespace
} // namespace sw
