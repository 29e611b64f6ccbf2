// The registry failing under the blocking commands: the profile key gone, a
// key that refuses writes, a value that vanishes between its size query and
// its read. Every failure is reported once and no entry is ever lost.
#include "commands/block_commands.h"
#include "platform/registry_key.h"
#include "tests/addin/addin_fixture.h"
#include "tests/harness/import_patch.h"

#include <gmock/gmock.h>

#include <optional>

#include <aclapi.h>
#include <sddl.h>

namespace sw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RegistryFaults : public AddinTest {
protected:
    RegistryFaults() {
        CreateProfile(12);
        m_outlook.SetVersion(L"12.0.0.6423");
        m_connect = NewConnect();
        m_connect->OnConnection(m_outlook.Application().get(), ext_cm_Startup, nullptr, nullptr);
        m_connect->OnStartupComplete(nullptr);
        RegistrySandbox::SetText(ListKey(), L"001f041a", L"keep@x.example;", REG_BINARY);
        auto& box = m_outlook.mailbox();
        m_mail = &box.AddMail(box.Inbox(), L"ann@spam.example", {L"me@corp.example", L"x@y"});
        box.Select({m_mail});
    }
    ~RegistryFaults() override {
        if (m_connect)
            m_connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    }

    std::wstring ListKey() const { return ProfileListKey(); }
    std::wstring Stored() const {
        return RegistrySandbox::GetText(ListKey(), L"001f041a").value_or(L"<none>");
    }
    bool Moved() { return m_outlook.mailbox().JunkEmail().contains(*m_mail); }

    com_ptr<_IDTExtensibility2> m_connect;
    sim::Item* m_mail = nullptr;
};

TEST_F(RegistryFaults, MissingProfileKeyStopsBeforeAnythingMoves) {
    RegistrySandbox::DeleteKey(ProfileSubkeyPath(g_host.Profile(), L""));
    BlockSelectedSenders();
    EXPECT_THAT(m_messages.texts(), ElementsAre(L"RegOpenKeyEx Failed: 2."));
    EXPECT_FALSE(Moved());
    m_connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    m_connect = nullptr;
    EXPECT_EQ(m_messages.texts().size(), 1u) << "nothing added, nothing to put back";
}

struct VanishingValue {
    static inline ImportPatch* patch = nullptr;
    static LONG WINAPI Hook(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                            LPDWORD size) {
        if (data && name && lstrcmpW(name, L"001f041a") == 0)
            RegistrySandbox::DeleteValue(ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey),
                                         name);
        return patch->original<decltype(&RegQueryValueExW)>()(key, name, reserved, type, data,
                                                              size);
    }
};

TEST_F(RegistryFaults, ValueVanishingBeforeItsReadIsAFailedRead) {
    {
        ImportPatch patch("advapi32.dll", "RegQueryValueExW",
                          reinterpret_cast<void*>(&VanishingValue::Hook));
        VanishingValue::patch = &patch;
        BlockSelectedSenders();
    }
    EXPECT_THAT(m_messages.texts(), ElementsAre(L"RegQueryValueEx Failed: 2."));
    EXPECT_FALSE(Moved());
    EXPECT_EQ(Stored(), L"<none>") << "nothing written over the vanished list";
}

// Sets the key's access rules from a security descriptor string.
bool SetKeyAccess(const std::wstring& path, const wchar_t* sddl) {
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, READ_CONTROL | WRITE_DAC, key.put()) !=
        ERROR_SUCCESS)
        return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    const LONG rc = RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    return rc == ERROR_SUCCESS;
}

constexpr wchar_t kDenyWrites[] = L"D:(D;;KW;;;WD)(A;;GA;;;WD)";
constexpr wchar_t kAllowAll[] = L"D:(A;;GA;;;WD)";

struct DeniedWrites {
    static inline ImportPatch* patch = nullptr;
    static LONG WINAPI Hook(HKEY root, LPCWSTR path, DWORD options, REGSAM access, PHKEY key) {
        if (access & KEY_SET_VALUE)
            return ERROR_ACCESS_DENIED;
        return patch->original<decltype(&RegOpenKeyExW)>()(root, path, options, access, key);
    }
};

TEST_F(RegistryFaults, KeyRefusingWritesLosesNothing) {
    unique_hkey probe;
    const bool honoured = SetKeyAccess(ListKey(), kDenyWrites) &&
                          RegOpenKeyExW(HKEY_CURRENT_USER, ListKey().c_str(), 0, KEY_SET_VALUE,
                                        probe.put()) == ERROR_ACCESS_DENIED;
    probe.reset();
    {
        // Where the registry does not enforce the descriptor, the write open
        // is refused at the system call instead.
        std::optional<ImportPatch> refuse;
        if (!honoured) {
            refuse.emplace("advapi32.dll", "RegOpenKeyExW",
                           reinterpret_cast<void*>(&DeniedWrites::Hook));
            DeniedWrites::patch = &*refuse;
        }
        BlockSelectedSenders();
    }
    EXPECT_THAT(m_messages.texts(),
                ElementsAre(L"RegOpenKeyEx Failed: 0a0d020000000000c000000000000046: 5."));
    EXPECT_TRUE(Moved());
    EXPECT_EQ(Stored(), L"keep@x.example;");
    EXPECT_THAT(g_host.blockedSinceLoad, ElementsAre(L"ann@spam.example"));

    // Once the key takes writes again, disconnection puts the entry in.
    if (honoured)
        SetKeyAccess(ListKey(), kAllowAll);
    m_messages.clear();
    m_connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    m_connect = nullptr;
    EXPECT_EQ(Stored(), L"keep@x.example;ann@spam.example;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
    RecordProperty("RegistryEnforcesKeySecurity", honoured ? "yes" : "no");
}

} // namespace
} // namespace sw::test
