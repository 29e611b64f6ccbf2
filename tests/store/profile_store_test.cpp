#include "store/list_text.h"
#include "store/profile_store.h"
#include "store/new_entries.h"
#include "tests/harness/import_patch.h"
#include "tests/harness/message_recorder.h"
#include "tests/harness/registry_sandbox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

namespace sw {
namespace {

using test::ImportPatch;
using test::MessageRecorder;
using test::RegistrySandbox;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr wchar_t kBlockedValue[] = L"001f041a";
constexpr wchar_t kSafeValue[] = L"001f0418";

// Counts RegSetValueExW calls of the code under test, by key path.
struct SetValueLog {
    static inline std::vector<std::wstring> values; // value names, in call order
    static inline ImportPatch* patch = nullptr;
    static inline LONG failWith = ERROR_SUCCESS;

    static LONG WINAPI Hook(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                            DWORD size) {
        values.push_back(name ? name : L"");
        if (failWith != ERROR_SUCCESS)
            return failWith;
        return patch->original<decltype(&RegSetValueExW)>()(key, name, reserved, type, data, size);
    }
};

// The texts a caller would show for `outcome`.
std::vector<std::wstring> Texts(const Outcome& outcome) {
    std::vector<std::wstring> texts;
    for (const Outcome::Failure& failure : outcome.failures())
        texts.push_back(failure.text);
    return texts;
}

// The profile every test works on; the store is handed it and reads no global.
MailProfile g_profile;

class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_profile = {L"Spamwarden Test", HostCapabilities(12), {}};
        RegistrySandbox::CreateKey(ListKey());
        SetValueLog::values.clear();
        SetValueLog::failWith = ERROR_SUCCESS;
        SetValueLog::patch = &m_setValue;
    }
    void TearDown() override { SetValueLog::patch = nullptr; }

    static std::wstring ListKey() { return ProfileSubkeyPath(g_profile, kProfileListSubkey); }
    // An account's own key, named by its Preferences UID, directly under the profile.
    static std::wstring AccountKey(const std::wstring& uidName) {
        return ProfileSubkeyPath(g_profile, uidName);
    }
    // An account's entry below the accounts key.
    static std::wstring AccountEntryKey(const std::wstring& name) {
        return ProfileSubkeyPath(g_profile, kAccountsSubkey) + L"\\" + name;
    }
    static void StoreBytes(const std::vector<BYTE>& bytes, DWORD type = REG_BINARY) {
        RegistrySandbox::SetValue(ListKey(), kBlockedValue, type, bytes.data(),
                                  static_cast<DWORD>(bytes.size()));
    }
    static std::vector<BYTE> Utf16(const std::wstring& text, bool terminated) {
        std::vector<BYTE> bytes;
        for (wchar_t c : text) {
            bytes.push_back(static_cast<BYTE>(c & 0xFF));
            bytes.push_back(static_cast<BYTE>(c >> 8));
        }
        if (terminated)
            bytes.insert(bytes.end(), {0, 0});
        return bytes;
    }
    static std::wstring Read(ProfileListKind kind = ProfileListKind::Blocked) {
        std::wstring out = L"unchanged";
        EXPECT_TRUE(ReadProfileList(g_profile, kind, out).ok());
        return out;
    }
    Outcome Write(const std::wstring& list, const std::vector<std::wstring>& addedSinceLoad = {}) {
        return WriteProfileList(g_profile, list, m_unread, addedSinceLoad);
    }
    Outcome Reapply(const std::vector<std::wstring>& additions) {
        return ReapplyBlockedAdditions(g_profile, additions, m_unread);
    }

    RegistrySandbox m_sandbox;
    // The store shows nothing itself: whatever it failed at is in its outcome.
    MessageRecorder m_messages;
    NewBlockedEntries m_unread;
    ImportPatch m_setValue{"advapi32.dll", "RegSetValueExW",
                           reinterpret_cast<void*>(&SetValueLog::Hook)};
};

TEST_F(ProfileStoreTest, ReadsMissingValueAsEmptyListWithoutMessage) {
    EXPECT_EQ(Read(), L"");
    EXPECT_EQ(Read(ProfileListKind::Safe), L"");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ProfileStoreTest, DecodesStoredDataUpToFirstZeroUnit) {
    StoreBytes(Utf16(L"a@example.com;b@example.org;", true));
    EXPECT_EQ(Read(), L"a@example.com;b@example.org;");

    StoreBytes(Utf16(L"a@example.com;", false));
    EXPECT_EQ(Read(), L"a@example.com;") << "no terminating 0: all code units";

    StoreBytes(Utf16(std::wstring(L"a@example.com;\0evil@example.com;", 32), true));
    EXPECT_EQ(Read(), L"a@example.com;") << "an embedded 0 ends the text";

    auto odd = Utf16(L"a@example.com;", false);
    odd.push_back(0x41);
    StoreBytes(odd);
    EXPECT_EQ(Read(), L"a@example.com;") << "an odd trailing byte is no code unit";

    StoreBytes(Utf16(L"\u00e9l\u00e8ve@\u00e9cole.example;", true), REG_SZ);
    EXPECT_EQ(Read(), L"\u00e9l\u00e8ve@\u00e9cole.example;") << "stored type is not examined";
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ProfileStoreTest, ReadsUnterminatedLastEntryAsTerminated) {
    StoreBytes(Utf16(L"ann@example.org;bob@example.net", true));
    std::wstring list = Read();
    EXPECT_EQ(list, L"ann@example.org;bob@example.net;");
    EXPECT_TRUE(ListContains(L"bob@example.net", list));
}

TEST_F(ProfileStoreTest, ReadsEachKindFromItsOwnValue) {
    RegistrySandbox::SetText(ListKey(), kBlockedValue, L"blocked@example.com;", REG_BINARY);
    RegistrySandbox::SetText(ListKey(), kSafeValue, L"safe@example.com;", REG_BINARY);
    EXPECT_EQ(Read(ProfileListKind::Blocked), L"blocked@example.com;");
    EXPECT_EQ(Read(ProfileListKind::Safe), L"safe@example.com;");
    EXPECT_STREQ(ProfileListValueName(static_cast<ProfileListKind>(7)), kBlockedValue);
}

TEST_F(ProfileStoreTest, ReadFailuresReportTheCodeAndLeaveOutputUnchanged) {
    g_profile.name = L"No Such Profile";
    std::wstring out = L"unchanged";
    const Outcome read = ReadProfileList(g_profile, ProfileListKind::Blocked, out);
    EXPECT_FALSE(read);
    EXPECT_EQ(out, L"unchanged");
    ASSERT_THAT(Texts(read), ElementsAre(L"RegOpenKeyEx Failed: 2."));
    EXPECT_EQ(read.failures()[0].code, ERROR_FILE_NOT_FOUND);
    EXPECT_THAT(m_messages.texts(), IsEmpty()) << "the caller decides what is shown";
    ShowOutcome(read);
    ASSERT_THAT(m_messages.texts(), ElementsAre(L"RegOpenKeyEx Failed: 2."));
    EXPECT_EQ(m_messages.messages()[0].caption, L"Spamwarden");
    EXPECT_EQ(m_messages.messages()[0].icon, MessageIcon::Warning);
}

// Grows the value between the size query and the read, as another writer could.
struct GrowingValue {
    static inline ImportPatch* patch = nullptr;
    static inline int calls = 0;
    static LONG WINAPI Hook(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                            LPDWORD size) {
        auto real = patch->original<decltype(&RegQueryValueExW)>();
        if (data && ++calls == 1)
            RegistrySandbox::SetText(ProfileSubkeyPath(g_profile, kProfileListSubkey), name,
                                     std::wstring(400, L'x'), REG_BINARY);
        return real(key, name, reserved, type, data, size);
    }
};

TEST_F(ProfileStoreTest, ValueGrowingBetweenSizeQueryAndReadIsAFailedRead) {
    RegistrySandbox::SetText(ListKey(), kBlockedValue, L"a@example.com;", REG_BINARY);
    GrowingValue::calls = 0;
    ImportPatch patch("advapi32.dll", "RegQueryValueExW",
                      reinterpret_cast<void*>(&GrowingValue::Hook));
    GrowingValue::patch = &patch;

    std::wstring out = L"unchanged";
    const Outcome read = ReadProfileList(g_profile, ProfileListKind::Blocked, out);
    EXPECT_EQ(out, L"unchanged");
    EXPECT_THAT(Texts(read), ElementsAre(L"RegQueryValueEx Failed: 234."));
}

TEST_F(ProfileStoreTest, WritesUtf16WithTerminatingZeroAsBinary) {
    EXPECT_TRUE(Write(L"a@example.com;"));
    auto value = RegistrySandbox::GetValue(ListKey(), kBlockedValue);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(value->data.size(), 30u);
    EXPECT_EQ(value->data, Utf16(L"a@example.com;", true));
    EXPECT_EQ(Read(), L"a@example.com;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ProfileStoreTest, CopiesToAccountKeysFromVersion14Only) {
    RegistrySandbox::CreateKey(AccountKey(L"0aff"));
    RegistrySandbox::CreateKey(AccountKey(L"1234"));
    g_profile.accountKeys = {L"0aff", L"1234"};

    EXPECT_TRUE(Write(L"x@example.com;"));
    EXPECT_EQ(SetValueLog::values.size(), 1u) << "version 12: the profile list key only";
    EXPECT_FALSE(RegistrySandbox::GetValue(AccountKey(L"0aff"), kBlockedValue));

    g_profile.host = HostCapabilities(14);
    EXPECT_TRUE(Write(L"y@example.com;"));
    EXPECT_EQ(SetValueLog::values.size(), 4u);
    EXPECT_EQ(RegistrySandbox::GetText(ListKey(), kBlockedValue), L"y@example.com;");
    EXPECT_EQ(RegistrySandbox::GetText(AccountKey(L"0aff"), kBlockedValue), L"y@example.com;");
    EXPECT_EQ(RegistrySandbox::GetText(AccountKey(L"1234"), kBlockedValue), L"y@example.com;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ProfileStoreTest, AccountWithoutKeyWritesIntoProfileListKeyAgain) {
    g_profile.host = HostCapabilities(14);
    RegistrySandbox::CreateKey(AccountKey(L"0aff"));
    g_profile.accountKeys = {L"0aff", L"dead"};

    EXPECT_TRUE(Write(L"z@example.com;"));
    EXPECT_EQ(SetValueLog::values.size(), 3u) << "profile key twice, existing account once";
    EXPECT_EQ(RegistrySandbox::GetText(AccountKey(L"0aff"), kBlockedValue), L"z@example.com;");
    EXPECT_FALSE(RegistrySandbox::KeyExists(AccountKey(L"dead")));
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ProfileStoreTest, WriteFailuresNameTheSubkeyAskedFor) {
    g_profile.host = HostCapabilities(14);
    g_profile.accountKeys = {L"dead"};
    RegistrySandbox::DeleteKey(ListKey());

    const Outcome write = Write(L"z@example.com;");
    EXPECT_FALSE(write);
    EXPECT_THAT(Texts(write),
                ElementsAre(L"RegOpenKeyEx Failed: 0a0d020000000000c000000000000046: 2.",
                            L"RegOpenKeyEx Failed: dead: 2."));
    EXPECT_FALSE(RegistrySandbox::KeyExists(ListKey())) << "writing never creates the key";

    RegistrySandbox::CreateKey(ListKey());
    SetValueLog::failWith = ERROR_ACCESS_DENIED;
    EXPECT_THAT(Texts(WriteProfileListToKey(g_profile, kProfileListSubkey, L"z@example.com;",
                                            ProfileListKind::Blocked)),
                ElementsAre(L"RegSetValueEx Failed: 0a0d020000000000c000000000000046: 5."));
}

TEST_F(ProfileStoreTest, Version15AndLaterUseTheOfficeProfilesRoot) {
    g_profile.host = HostCapabilities(16);
    EXPECT_EQ(ProfileSubkeyPath(g_profile, kProfileListSubkey),
              L"Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles\\Spamwarden "
              L"Test\\0a0d020000000000c000000000000046");
    RegistrySandbox::CreateKey(ListKey());
    EXPECT_TRUE(Write(L"new@example.com;"));
    EXPECT_EQ(Read(), L"new@example.com;");

    g_profile.host = HostCapabilities(14);
    EXPECT_EQ(ProfileSubkeyPath(g_profile, L"x"),
              L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows "
              L"Messaging Subsystem\\Profiles\\Spamwarden Test\\x");
}

class AccountKeysTest : public ProfileStoreTest {
protected:
    static void AddAccount(const std::wstring& name, const std::wstring& email,
                           const std::vector<BYTE>& uid) {
        RegistrySandbox::SetValue(AccountEntryKey(name), L"Email", REG_BINARY, email.c_str(),
                                  static_cast<DWORD>((email.size() + 1) * 2));
        if (!uid.empty() || name == L"emptyuid")
            RegistrySandbox::SetValue(AccountEntryKey(name), L"Preferences UID", REG_BINARY,
                                      uid.data(), static_cast<DWORD>(uid.size()));
    }
};

TEST_F(AccountKeysTest, NamesEachMailAccountByItsPreferencesUid) {
    g_profile.host = HostCapabilities(14);
    AddAccount(L"00000001", L"ann@example.org", {0x0A, 0xFF});
    AddAccount(L"00000002", L"directory entry", {0x01});
    AddAccount(L"00000003", L"bob@example.net", {});
    AddAccount(L"emptyuid", L"cid@example.net", {});
    AddAccount(L"00000005", std::wstring(200, L'a') + L"@example.com", {0x02});
    AddAccount(L"00000006", L"dee@example.com", {0x00, 0x10, 0xAB, 0xCD});

    EXPECT_THAT(FindAccountKeys(g_profile), ElementsAre(L"0aff", L"0010abcd"));
    g_profile.accountKeys = {L"stale"};
    EXPECT_THAT(FindAccountKeys(g_profile), ElementsAre(L"0aff", L"0010abcd"))
        << "found afresh, whatever the profile held";
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(AccountKeysTest, BeforeVersion14OrWithoutAccountsNothingIsCollected) {
    AddAccount(L"00000001", L"ann@example.org", {0x0A, 0xFF});
    EXPECT_THAT(FindAccountKeys(g_profile), IsEmpty());

    g_profile.host = HostCapabilities(14);
    g_profile.name = L"Profile Without Accounts";
    EXPECT_THAT(FindAccountKeys(g_profile), IsEmpty());
}

TEST_F(ProfileStoreTest, ReapplyPutsBackOnlyWhatTheStoredListLost) {
    g_profile.host = HostCapabilities(14);
    RegistrySandbox::CreateKey(AccountKey(L"0aff"));
    g_profile.accountKeys = {L"0aff"};

    EXPECT_TRUE(Reapply({}));
    EXPECT_THAT(SetValueLog::values, IsEmpty()) << "nothing added since load";

    RegistrySandbox::SetText(ListKey(), kBlockedValue, L"a@example.com;b@example.com;", REG_BINARY);
    const std::vector<std::wstring> additions = {L"a@example.com", L"b@example.com"};
    EXPECT_TRUE(Reapply(additions));
    EXPECT_THAT(SetValueLog::values, IsEmpty()) << "all still present";

    // The user removed b@ in the manager; it is put back everywhere.
    RegistrySandbox::SetText(ListKey(), kBlockedValue, L"a@example.com;", REG_BINARY);
    EXPECT_TRUE(Reapply(additions));
    EXPECT_EQ(RegistrySandbox::GetText(ListKey(), kBlockedValue), L"a@example.com;b@example.com;");
    EXPECT_EQ(RegistrySandbox::GetText(AccountKey(L"0aff"), kBlockedValue),
              L"a@example.com;b@example.com;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ProfileStoreTest, ReapplyAfterAFailedReadWritesNothing) {
    RegistrySandbox::SetText(ListKey(), kBlockedValue, L"keep@example.com;", REG_BINARY);

    struct FailingQuery {
        static LONG WINAPI Hook(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
            return ERROR_ACCESS_DENIED;
        }
    };
    {
        ImportPatch patch("advapi32.dll", "RegQueryValueExW",
                          reinterpret_cast<void*>(&FailingQuery::Hook));
        EXPECT_THAT(Texts(Reapply({L"a@example.com"})), ElementsAre(L"RegQueryValueEx Failed: 5."));
    }
    EXPECT_THAT(SetValueLog::values, IsEmpty());
    EXPECT_EQ(RegistrySandbox::GetText(ListKey(), kBlockedValue), L"keep@example.com;");
}

// New mail from a sender the add-in blocked is moved while Outlook's filter
// has not read the entry: what the filter knows is taken at the first write,
// and when that read fails, at a later one, without the add-in's additions.
TEST_F(ProfileStoreTest, WhatTheFilterKnowsNeverHoldsTheAddInsOwnAdditions) {
    struct FailingQuery {
        static LONG WINAPI Hook(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
            return ERROR_ACCESS_DENIED;
        }
    };
    RegistrySandbox::SetText(ListKey(), kBlockedValue, L"old@example.com;", REG_BINARY);
    std::vector<std::wstring> added = {L"Ann@Spam.example"};
    {
        ImportPatch patch("advapi32.dll", "RegQueryValueExW",
                          reinterpret_cast<void*>(&FailingQuery::Hook));
        EXPECT_TRUE(Write(L"old@example.com;Ann@Spam.example;", added));
    }
    EXPECT_FALSE(m_unread.HasBaseline()) << "the list before the first write could not be read";
    added.push_back(L"@junk.example");
    EXPECT_TRUE(Write(L"old@example.com;Ann@Spam.example;@junk.example;", added));
    EXPECT_EQ(m_unread.Match(L"ann@spam.example"), L"Ann@Spam.example");
    EXPECT_EQ(m_unread.Match(L"bob@junk.example"), L"@junk.example");
    EXPECT_EQ(m_unread.Match(L"old@example.com"), L"") << "known to the filter";
}

TEST_F(ProfileStoreTest, ReapplyAppendsAfterAnUnterminatedStoredEntry) {
    StoreBytes(Utf16(L"x@example.com", true));
    EXPECT_TRUE(Reapply({L"a@example.com"}));
    EXPECT_EQ(RegistrySandbox::GetText(ListKey(), kBlockedValue), L"x@example.com;a@example.com;");
}

} // namespace
} // namespace sw
