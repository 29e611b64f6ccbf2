// DefaultProfileName against the simulated MAPI provider: Wine's mapi32
// forwards MAPIAdminProfiles (ordinal 19) and the MAPI allocator to SimMapi.dll,
// which lists the profiles of the (sandboxed) HKEY_CURRENT_USER.
#include "store/profile_store.h"
#include "tests/harness/message_recorder.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/sim/sim_mapi_provider.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <mapicode.h>

#include <string>

namespace sw {
namespace {

using test::kLegacyProfilesKey;
using test::kSimMapiConfigKey;
using test::OutlookKey;
using test::RegistrySandbox;

std::wstring ProfileKey(const std::wstring& profilesKey, const std::wstring& name) {
    return profilesKey + L"\\" + name;
}

// Name of the subkey that the registry enumerates first under `path`.
std::wstring FirstSubkey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    wchar_t name[256];
    DWORD length = ARRAYSIZE(name);
    LONG rc = RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::wstring(name, length) : std::wstring();
}

// A profile name with characters beyond ASCII that survives the round trip
// through the ANSI code page; empty if none of the candidates does.
std::wstring NonAsciiAnsiName() {
    const wchar_t* candidates[] = {
        L"B\u00fcro M\u00fcller",          // Western and Central European code pages
        L"\u041f\u043e\u0447\u0442\u0430", // Cyrillic
        L"\u30e1\u30fc\u30eb",             // Japanese
        L"\u0391\u03bb\u03c6\u03b1",       // Greek
    };
    const UINT acp = GetACP();
    for (const wchar_t* candidate : candidates) {
        BOOL usedDefault = FALSE;
        char narrow[64] = {};
        int n = WideCharToMultiByte(CP_ACP, acp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, candidate,
                                    -1, narrow, sizeof narrow, nullptr,
                                    acp == CP_UTF8 ? nullptr : &usedDefault);
        if (n <= 0 || usedDefault)
            continue;
        wchar_t wide[64] = {};
        if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, ARRAYSIZE(wide)) > 0 &&
            std::wstring(wide) == candidate)
            return candidate;
    }
    return {};
}

class DefaultProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_provider.loaded())
            << "SimMapi.dll is not registered in this Wine prefix (scripts/wine-prefix.sh)";
        m_before = m_provider.counts();
    }

    void TearDown() override {
        // Every IProfAdmin, IMAPITable and row buffer handed out came back.
        const SimMapiCounts after = m_provider.counts();
        EXPECT_EQ(after.profAdmins, 0);
        EXPECT_EQ(after.tables, 0);
        EXPECT_EQ(after.buffers, m_before.buffers);
        EXPECT_TRUE(m_messages.messages().empty()) << "DefaultProfileName shows no message";
    }

    // Profiles `names` under `profilesKey`, each with one subkey as real ones have.
    static void AddProfiles(const std::wstring& profilesKey,
                            std::initializer_list<std::wstring> names) {
        for (const std::wstring& name : names)
            RegistrySandbox::CreateKey(ProfileKey(profilesKey, name) + L"\\" + kProfileListSubkey);
    }

    int AdminProfilesCallsSinceSetUp() const {
        return m_provider.counts().adminProfilesCalls - m_before.adminProfilesCalls;
    }

    RegistrySandbox m_sandbox;
    test::MessageRecorder m_messages;
    test::SimMapiProvider m_provider;
    SimMapiCounts m_before = {};
};

TEST_F(DefaultProfileTest, FindsTheDefaultAmongOtherProfiles) {
    AddProfiles(kLegacyProfilesKey, {L"Alpha", L"Outlook", L"Zulu"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Outlook");
    ASSERT_NE(FirstSubkey(kLegacyProfilesKey), L"Outlook");

    EXPECT_EQ(DefaultProfileName(), L"Outlook");
    EXPECT_EQ(AdminProfilesCallsSinceSetUp(), 1) << "mapi32 forwarded ordinal 19 to SimMapi.dll";
}

TEST_F(DefaultProfileTest, FindsTheDefaultWhenItIsTheLastSubkey) {
    AddProfiles(kLegacyProfilesKey, {L"Zulu", L"Home", L"Alpha"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Zulu");
    ASSERT_EQ(FirstSubkey(kLegacyProfilesKey), L"Alpha");

    EXPECT_EQ(DefaultProfileName(), L"Zulu");
}

TEST_F(DefaultProfileTest, FindsTheOnlyProfile) {
    AddProfiles(kLegacyProfilesKey, {L"Outlook"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Outlook");

    EXPECT_EQ(DefaultProfileName(), L"Outlook");
}

TEST_F(DefaultProfileTest, KeepsSpacesAndPunctuationOfTheName) {
    AddProfiles(kLegacyProfilesKey, {L"Other", L"My Mail (work), 2.0"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"My Mail (work), 2.0");

    EXPECT_EQ(DefaultProfileName(), L"My Mail (work), 2.0");
}

TEST_F(DefaultProfileTest, WidensANonAsciiNameThroughTheAnsiCodePage) {
    const std::wstring name = NonAsciiAnsiName();
    if (name.empty())
        GTEST_SKIP() << "no non-ASCII sample name fits ANSI code page " << GetACP();
    AddProfiles(kLegacyProfilesKey, {L"Outlook", name});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", name);

    EXPECT_EQ(DefaultProfileName(), name) << "ANSI code page " << GetACP();
}

TEST_F(DefaultProfileTest, NoDefaultProfileValueFindsNothing) {
    AddProfiles(kLegacyProfilesKey, {L"Outlook", L"Other"});

    EXPECT_TRUE(DefaultProfileName().empty());
}

TEST_F(DefaultProfileTest, ADefaultNamingNoProfileFindsNothing) {
    AddProfiles(kLegacyProfilesKey, {L"Outlook", L"Other"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Deleted");

    EXPECT_TRUE(DefaultProfileName().empty());
}

TEST_F(DefaultProfileTest, NoProfilesKeyFindsNothing) {
    ASSERT_FALSE(RegistrySandbox::KeyExists(kLegacyProfilesKey));

    EXPECT_TRUE(DefaultProfileName().empty());
}

TEST_F(DefaultProfileTest, AFailedRestrictionFindsNothingRatherThanAnotherProfile) {
    // Unrestricted, the table's first row is "Other", not the default.
    AddProfiles(kLegacyProfilesKey, {L"Other", L"Outlook"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Outlook");
    RegistrySandbox::SetDword(kSimMapiConfigKey, L"RestrictFailure",
                              static_cast<DWORD>(MAPI_E_TOO_COMPLEX));

    EXPECT_TRUE(DefaultProfileName().empty());
}

TEST_F(DefaultProfileTest, AProfilesKeyWithoutProfilesFindsNothing) {
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Outlook");

    EXPECT_TRUE(DefaultProfileName().empty());
}

TEST_F(DefaultProfileTest, Outlook2013AndLaterKeepTheProfilesUnderOffice) {
    // A decoy in the legacy location, which version 15 and up no longer use.
    AddProfiles(kLegacyProfilesKey, {L"Legacy"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Legacy");
    const std::wstring profiles = OutlookKey(16) + L"\\Profiles";
    AddProfiles(profiles, {L"Archive", L"Outlook 2016"});
    RegistrySandbox::SetText(OutlookKey(16), L"DefaultProfile", L"Outlook 2016");
    RegistrySandbox::SetDword(kSimMapiConfigKey, L"OutlookVersion", 16);

    EXPECT_EQ(DefaultProfileName(), L"Outlook 2016");
}

TEST_F(DefaultProfileTest, Outlook2013DefaultValueInTheProfilesKeyItself) {
    const std::wstring profiles = OutlookKey(15) + L"\\Profiles";
    AddProfiles(profiles, {L"Archive", L"Main"});
    RegistrySandbox::SetText(profiles, L"DefaultProfile", L"Main");
    RegistrySandbox::SetDword(kSimMapiConfigKey, L"OutlookVersion", 15);

    EXPECT_EQ(DefaultProfileName(), L"Main");
}

TEST_F(DefaultProfileTest, Outlook2010StillUsesTheLegacyLocation) {
    AddProfiles(kLegacyProfilesKey, {L"Legacy"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Legacy");
    AddProfiles(OutlookKey(14) + L"\\Profiles", {L"Office"});
    RegistrySandbox::SetText(OutlookKey(14), L"DefaultProfile", L"Office");
    RegistrySandbox::SetDword(kSimMapiConfigKey, L"OutlookVersion", 14);

    EXPECT_EQ(DefaultProfileName(), L"Legacy");
}

TEST_F(DefaultProfileTest, Outlook2016WithoutProfilesFindsNothing) {
    AddProfiles(kLegacyProfilesKey, {L"Legacy"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Legacy");
    RegistrySandbox::SetDword(kSimMapiConfigKey, L"OutlookVersion", 16);

    EXPECT_TRUE(DefaultProfileName().empty());
}

TEST_F(DefaultProfileTest, CallingTwiceLoadsMapiAgainAndSeesChanges) {
    AddProfiles(kLegacyProfilesKey, {L"First", L"Second"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"First");

    EXPECT_EQ(DefaultProfileName(), L"First");
    // The add-in loads mapi32 for the call and frees it afterwards.
    EXPECT_EQ(GetModuleHandleW(L"mapi32.dll"), nullptr);

    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Second");
    EXPECT_EQ(DefaultProfileName(), L"Second");

    RegistrySandbox::DeleteValue(kLegacyProfilesKey, L"DefaultProfile");
    EXPECT_TRUE(DefaultProfileName().empty());

    EXPECT_EQ(AdminProfilesCallsSinceSetUp(), 3);
}

TEST_F(DefaultProfileTest, ReleasesTheAdminObjectTheTableAndTheRows) {
    AddProfiles(kLegacyProfilesKey, {L"Alpha", L"Outlook"});
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Outlook");

    for (int i = 0; i < 3; ++i) {
        const LONG allocatedBefore = m_provider.counts().buffersAllocated;
        EXPECT_EQ(DefaultProfileName(), L"Outlook");
        const SimMapiCounts counts = m_provider.counts();
        EXPECT_EQ(counts.profAdmins, 0);
        EXPECT_EQ(counts.tables, 0);
        // The row came from the provider's allocator (the row set, the row's
        // properties and the name string) and went back through FreeProws.
        EXPECT_GE(counts.buffersAllocated - allocatedBefore, 3);
        EXPECT_EQ(counts.buffers, m_before.buffers);
    }
    EXPECT_EQ(AdminProfilesCallsSinceSetUp(), 3);
}

// The add-in frees MAPI32 after every lookup; the provider stays loaded
// once loaded, as an installed MAPI subsystem does.
TEST(DefaultProfileProviderLifetime, MapiIsFreedAfterEachLookup) {
    RegistrySandbox sandbox;
    test::MessageRecorder messages;
    RegistrySandbox::CreateKey(ProfileKey(kLegacyProfilesKey, L"Alpha"));
    RegistrySandbox::CreateKey(ProfileKey(kLegacyProfilesKey, L"Outlook"));
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Outlook");

    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(DefaultProfileName(), L"Outlook");
        EXPECT_EQ(GetModuleHandleW(L"mapi32.dll"), nullptr);
    }
    EXPECT_TRUE(messages.messages().empty());
}

} // namespace
} // namespace sw
