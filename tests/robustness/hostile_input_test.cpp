// Stored data and sender addresses that no well-behaved program produces:
// nothing crashes, no stored entry is lost, and no entry is injected.
#include "commands/block_commands.h"
#include "sim/outlook/outlook_session.h"
#include "store/list_text.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"
#include "tests/addin/addin_fixture.h"

#include <gmock/gmock.h>

#include <set>

namespace sw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<BYTE> Bytes(const std::wstring& text) {
    std::vector<BYTE> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

std::set<std::wstring> Entries(const std::wstring& list) {
    std::set<std::wstring> entries;
    CListTokenizer tokens(list, L";");
    for (std::wstring entry; tokens.NextToken(entry);)
        entries.insert(entry);
    return entries;
}

class HostileInput : public AddinTest {
protected:
    HostileInput() {
        g_host.capabilities = HostCapabilities(12);
        g_host.profileName = kProfile;
        RegistrySandbox::CreateKey(ListKey());
        g_host.hostApp = m_outlook.Application();
    }

    static std::wstring ListKey() {
        return ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey);
    }
    static void Store(const std::vector<BYTE>& data, DWORD type = REG_BINARY) {
        RegistrySandbox::SetValue(ListKey(), L"001f041a", type, data.data(),
                                  static_cast<DWORD>(data.size()));
    }
    static std::wstring Stored() {
        return RegistrySandbox::GetText(ListKey(), L"001f041a").value_or(L"<none>");
    }

    // Blocks one message from `sender` and returns the stored list.
    std::wstring BlockFrom(const std::wstring& sender) {
        auto& box = m_outlook.mailbox();
        box.ShowFolder(box.Inbox());
        box.Select({&box.AddMail(box.Inbox(), sender, {L"me@corp.example", L"x@y.example"})});
        BlockSelectedSenders();
        return Stored();
    }
};

TEST_F(HostileInput, OddlyStoredListsKeepEveryEntryWhenAppendedTo) {
    struct Case {
        const char* what;
        std::vector<BYTE> data;
        DWORD type;
    };
    auto odd = Bytes(L"a@x.example;b@x.example;");
    odd.push_back(0x7A);
    const std::vector<Case> cases = {
        {"odd length", odd, REG_BINARY},
        {"no terminating 0", Bytes(L"a@x.example;b@x.example;"), REG_BINARY},
        {"last entry without ;", Bytes(L"a@x.example;b@x.example"), REG_BINARY},
        {"empty entries", Bytes(L";;a@x.example;;b@x.example;;"), REG_BINARY},
        {"stored as text", Bytes(std::wstring(L"a@x.example;b@x.example;\0", 25)), REG_SZ},
        {"stored as multi-string", Bytes(std::wstring(L"a@x.example;b@x.example;\0\0", 26)),
         REG_MULTI_SZ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(c.data, c.type);
        g_host.blockedSinceLoad.clear();
        const std::wstring after = BlockFrom(L"new@spam.example");
        EXPECT_THAT(Entries(after),
                    ::testing::IsSupersetOf({L"a@x.example", L"b@x.example", L"new@spam.example"}));
        EXPECT_EQ(after.back(), L';');
        EXPECT_EQ(after.find(L"b@x.examplenew"), std::wstring::npos) << "never joined";
    }
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(HostileInput, EmbeddedZeroEndsTheListAsOutlookReadsIt) {
    // Outlook reads the list up to its first 0; what follows is no part of it
    // and no entry of it ever reaches the list.
    Store(Bytes(std::wstring(L"a@x.example;\0@gmail.com;", 24)));
    const std::wstring after = BlockFrom(L"new@spam.example");
    EXPECT_EQ(after, L"a@x.example;new@spam.example;");
}

TEST_F(HostileInput, AMegabyteListIsReadAndExtendedWhole) {
    std::wstring big;
    for (int i = 0; big.size() < 512 * 1024; ++i)
        big += L"sender" + std::to_wstring(i) + L"@bulk.example;";
    Store(Bytes(big));
    const std::wstring after = BlockFrom(L"last@spam.example");
    EXPECT_EQ(after, big + L"last@spam.example;");
}

TEST_F(HostileInput, SenderAddressesNeverInjectEntries) {
    Store(Bytes(L"keep@x.example;"));
    for (const std::wstring& sender :
         {std::wstring(L"\"x;@gmail.com;\"@evil.example"), std::wstring(L"a@b.example\0;@c", 15),
          std::wstring(L"a\r\n@evil.example"), std::wstring(L"a\x7F@evil.example"),
          std::wstring(L"a\x85@evil.example")})
        BlockFrom(sender);
    EXPECT_EQ(Stored(), L"keep@x.example;");
    EXPECT_THAT(g_host.blockedSinceLoad, IsEmpty());

    // Unusual but whole addresses are listed exactly as the host reports them.
    const std::wstring quoted = L"\"john smith\"@example.com";
    const std::wstring longest = std::wstring(10000, L'x') + L"@long.example";
    const std::wstring idn = L"m\u00fcller@b\u00fccher.example";
    const std::wstring punycode = L"user@xn--bcher-kva.example";
    for (const std::wstring& sender : {quoted, longest, idn, punycode})
        BlockFrom(sender);
    EXPECT_THAT(g_host.blockedSinceLoad, ElementsAre(quoted, longest, idn, punycode));
    EXPECT_EQ(Stored(),
              L"keep@x.example;" + quoted + L";" + longest + L";" + idn + L";" + punycode + L";");
}

TEST_F(HostileInput, OddSettingsNeverBreakBlockDomains) {
    SetSettingsRoot(HKEY_CURRENT_USER, kSettingsMaker);
    const std::wstring section = L"software\\Tallpine\\Spamwarden";
    const BYTE garbage[] = {0xFF, 0xFE, 0x00};
    RegistrySandbox::SetValue(section, kHasSafeDomainsValue, REG_SZ, garbage, sizeof garbage);
    RegistrySandbox::SetValue(section, kSafeDomainsValue, REG_DWORD, garbage, 3);
    LoadSettings();
    EXPECT_TRUE(g_settings.hasSafeDomains) << "a short value reads as the default";

    auto& box = m_outlook.mailbox();
    box.Select({&box.AddMail(box.Inbox(), L"x@spam.example", {L"me@corp.example"})});
    BlockSelectedDomains();
    EXPECT_EQ(Stored(), L"@spam.example;");
}

} // namespace
} // namespace sw::test
