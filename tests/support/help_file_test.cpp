#include "support/help_file.h"
#include "tests/harness/import_patch.h"
#include "tests/harness/machine_registry_sandbox.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/support/support_fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sw {
namespace {

using test::ImportPatch;
using test::MachineRegistrySandbox;
using test::RegistrySandbox;
using test::ShellRecorder;

constexpr wchar_t kHelpKey[] = L"SOFTWARE\\Tallpine\\Spamwarden";

class HelpFileTest : public ::testing::Test {
protected:
    static void SetPath(const std::wstring& folder, DWORD type = REG_SZ) {
        MachineRegistrySandbox::SetText(kHelpKey, L"Path", folder, type);
    }
    std::vector<std::wstring> OpenAndCollect() {
        OpenHelpFile();
        std::vector<std::wstring> targets = m_shell.targets();
        m_shell.clear();
        return targets;
    }

    MachineRegistrySandbox m_machine;
    RegistrySandbox m_user; // an installation for one user records its folder there
    ShellRecorder m_shell;
};

using Targets = std::vector<std::wstring>;

TEST_F(HelpFileTest, ComposesTheFileInTheFolderWithOneBackslash) {
    SetPath(L"C:\\Help");
    EXPECT_EQ(OpenAndCollect(), Targets{L"C:\\Help\\Spamwarden.chm"});
    SetPath(L"C:\\Help\\");
    EXPECT_EQ(OpenAndCollect(), Targets{L"C:\\Help\\Spamwarden.chm"});
    // The folder is taken as stored: an expandable text is not expanded.
    SetPath(L"%ProgramFiles%\\Spamwarden", REG_EXPAND_SZ);
    EXPECT_EQ(OpenAndCollect(), Targets{L"%ProgramFiles%\\Spamwarden\\Spamwarden.chm"});
}

LONG WINAPI RecordingRegOpenKeyExW(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
ImportPatch* g_openPatch = nullptr;
std::vector<REGSAM> g_helpKeyAccess;

LONG WINAPI RecordingRegOpenKeyExW(HKEY root, LPCWSTR path, DWORD options, REGSAM access,
                                   PHKEY key) {
    if (root == HKEY_LOCAL_MACHINE && path && lstrcmpiW(path, kHelpKey) == 0)
        g_helpKeyAccess.push_back(access);
    return g_openPatch->original<decltype(&RegOpenKeyExW)>()(root, path, options, access, key);
}

TEST_F(HelpFileTest, OpensTheMachineKeyForQueryingOnly) {
    // Ordinary users may not open the machine key for anything more.
    SetPath(L"C:\\Help");
    g_helpKeyAccess.clear();
    {
        ImportPatch patch("advapi32.dll", "RegOpenKeyExW",
                          reinterpret_cast<void*>(&RecordingRegOpenKeyExW));
        g_openPatch = &patch;
        OpenHelpFile();
        g_openPatch = nullptr;
    }
    EXPECT_EQ(g_helpKeyAccess, std::vector<REGSAM>{KEY_QUERY_VALUE});
    EXPECT_EQ(m_shell.targets().size(), 1u);
}

TEST_F(HelpFileTest, WithoutAFolderNothingHappens) {
    EXPECT_EQ(OpenAndCollect(), Targets{}) << "no key";
    MachineRegistrySandbox::CreateKey(kHelpKey);
    EXPECT_EQ(OpenAndCollect(), Targets{}) << "no value";
    SetPath(L"");
    EXPECT_EQ(OpenAndCollect(), Targets{}) << "empty value";
}

TEST_F(HelpFileTest, TheMachineFolderComesFirstThenTheUsersInstallation) {
    RegistrySandbox::SetText(kHelpKey, L"Path", L"C:\\Users\\me\\Programs\\Spamwarden");
    EXPECT_EQ(OpenAndCollect(), Targets{L"C:\\Users\\me\\Programs\\Spamwarden\\Spamwarden.chm"})
        << "installed for this user only";
    SetPath(L"C:\\Help");
    EXPECT_EQ(OpenAndCollect(), Targets{L"C:\\Help\\Spamwarden.chm"});
    SetPath(L"");
    EXPECT_EQ(OpenAndCollect(), Targets{L"C:\\Users\\me\\Programs\\Spamwarden\\Spamwarden.chm"})
        << "an empty machine value counts as none";
}

TEST_F(HelpFileTest, TheComposedPathStaysWithinMaxPath) {
    const std::wstring longest = L"C:\\" + std::wstring(241, L'h'); // 244 + 15 = 259
    SetPath(longest);
    EXPECT_EQ(OpenAndCollect(), Targets{longest + L"\\Spamwarden.chm"});
    SetPath(longest + L"\\");
    EXPECT_EQ(OpenAndCollect(), Targets{longest + L"\\Spamwarden.chm"});

    SetPath(longest + L"h");
    EXPECT_EQ(OpenAndCollect(), Targets{}) << "one character too many";
    SetPath(L"C:\\" + std::wstring(1000, L'h'));
    EXPECT_EQ(OpenAndCollect(), Targets{}) << "longer than the read buffer";

    // Data stored without a final 0 is still a properly ended text.
    MachineRegistrySandbox::SetValue(kHelpKey, L"Path", REG_SZ, longest.data(),
                                     static_cast<DWORD>(longest.size() * 2));
    EXPECT_EQ(OpenAndCollect(), Targets{longest + L"\\Spamwarden.chm"});
}

} // namespace
} // namespace sw
