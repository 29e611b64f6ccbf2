// The Windows Installer package of this build, as an administrator uses it:
// msiexec installs the add-in into Program Files with the registration that
// the DLL itself would write, in the registry view of the package's
// architecture; the simulated Outlook loads it from there and its buttons
// work; Help finds the installed help file; a newer package replaces an older
// one; removal leaves nothing of it behind and other add-ins alone.
//
// The prefix is shared with registration_tests, which registers the build
// tree's DLL with regsvr32: the suite unregisters it first and registers it
// again at the end if it was registered.
#include "addin/idl/spamwarden.h"
#include "platform/registry_key.h"
#include "sim/loader/addin_host.h"
#include "store/profile_store.h"
#include "store/state.h"
#include "platform/version.h"
#include "support/help_file.h"
#include "support/shell_open.h"
#include "support/support_mail.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/installer/expected_registration.h"
#include "tests/installer/msi_package.h"
#include "tests/installer/registry_probe.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace sw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr wchar_t kHelpKey[] = L"SOFTWARE\\Tallpine\\Spamwarden";
constexpr wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Spamwarden.Connect";
constexpr wchar_t kOtherAddin[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Other.Addin";
constexpr wchar_t kProgId[] = L"Spamwarden.Connect";
constexpr wchar_t kProfile[] = L"Outlook Test";

std::wstring WindowsPath(const char* unixPath) {
    const std::string unix = unixPath;
    std::wstring path = L"Z:" + std::wstring(unix.begin(), unix.end());
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

// Program Files of the test's bitness: "Program Files (x86)" for 32-bit
// programs on 64-bit Windows.
std::wstring MakerFolder() {
    PWSTR programFiles = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &programFiles)))
        folder = programFiles;
    CoTaskMemFree(programFiles);
    return folder + L"\\Tallpine";
}

std::wstring InstallFolder() {
    return MakerFolder() + L"\\Spamwarden\\";
}

std::wstring InstalledDll() {
    return InstallFolder() + L"Spamwarden.dll";
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ClassKey() {
    wchar_t id[40] = {};
    StringFromGUID2(CLSID_Connect, id, 40);
    return std::wstring(L"CLSID\\") + id;
}

DWORD RunRegsvr32(const std::wstring& dll, bool unregister) {
    return RunProcess(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" +
                      dll + L"\"");
}

void ExpectInstalledRegistration() {
    const ExpectedRegistration expected = ExpectedRegistrationOf(InstalledDll(), InstallFolder());
    EXPECT_GT(expected.values.size(), 20u);
    for (const RegistryEntry& entry : expected.values) {
        const std::wstring mismatch = Mismatch(entry);
        EXPECT_TRUE(mismatch.empty()) << Narrow(mismatch);
    }
    for (const auto& [root, key] : expected.keys)
        EXPECT_TRUE(KeyExists(root, key)) << Narrow(key);

    RegistryEntry help;
    help.root = HKEY_LOCAL_MACHINE;
    help.key = kHelpKey;
    help.name = L"Path";
    help.text = InstallFolder();
    help.folder = true;
    EXPECT_TRUE(Mismatch(help).empty()) << Narrow(Mismatch(help));

    // Written into the package's registry view only.
    EXPECT_FALSE(
        KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + ClassKey(), OtherRegistryView()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAddinKey, OtherRegistryView()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kHelpKey, OtherRegistryView()));
}

std::vector<std::wstring> g_shellTargets;

void RecordShellOpen(const std::wstring& target) {
    g_shellTargets.push_back(target);
}

class InstalledPackage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The build tree's registration would hide what the package writes.
        unique_hkey server;
        s_buildDllWasRegistered =
            RegOpenKeyExW(HKEY_CLASSES_ROOT, (ClassKey() + L"\\InprocServer32").c_str(), 0,
                          KEY_READ, server.put()) == ERROR_SUCCESS;
        server.reset();
        RunRegsvr32(WindowsPath(SW_ADDIN_DLL), true);
        RemoveEveryRelease();
    }

    static void TearDownTestSuite() {
        RemoveEveryRelease();
        if (s_buildDllWasRegistered)
            RunRegsvr32(WindowsPath(SW_ADDIN_DLL), false);
    }

    // Whatever Spamwarden an earlier, interrupted run may have left.
    static void RemoveEveryRelease() {
        const MsiPackage package(WindowsPath(SW_PACKAGE));
        for (const std::wstring& product : RelatedProducts(package.upgradeCode()))
            EXPECT_EQ(RemoveProduct(product), 0u) << Narrow(product);
    }

    void EnsureInstalled() {
        if (!m_package.Installed()) {
            ASSERT_EQ(m_package.Install(), 0u) << "see " << Narrow(m_package.logPath());
        }
    }

    static inline bool s_buildDllWasRegistered = false;
    MsiPackage m_package{WindowsPath(SW_PACKAGE)};
};

// The product's one version, as the DLL's version resource, the package and
// the support mail carry it.
TEST(ProductVersion, TheDllThePackageAndTheSupportMailAgree) {
    const std::wstring dll = WindowsPath(SW_ADDIN_DLL);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(dll.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(dll.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const std::wstring version = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(version, std::to_wstring(SW_VERSION_MAJOR) + L"." +
                           std::to_wstring(SW_VERSION_MINOR) + L"." +
                           std::to_wstring(SW_VERSION_PATCH));
    EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);

    const MsiPackage package(WindowsPath(SW_PACKAGE));
    EXPECT_EQ(package.version(), version);

    wchar_t* product = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                               reinterpret_cast<void**>(&product), &length));
    const std::wstring shortVersion =
        std::to_wstring(SW_VERSION_MAJOR) + L"." + std::to_wstring(SW_VERSION_MINOR);
    EXPECT_EQ(std::wstring(product), shortVersion);
    EXPECT_THAT(SupportMailLink(L"Windows 10", 16),
                HasSubstr(L"Product Version: " + shortVersion + L" "));
}

TEST_F(InstalledPackage, InstallsTheFilesAndTheRegistrationTheDllWouldWrite) {
    RemoveEveryRelease();
    ASSERT_EQ(m_package.Install(), 0u) << "see " << Narrow(m_package.logPath());
    EXPECT_TRUE(m_package.Installed());
    EXPECT_TRUE(FileExists(InstalledDll())) << Narrow(InstalledDll());
    EXPECT_TRUE(FileExists(InstallFolder() + L"Spamwarden.chm"));
    ExpectInstalledRegistration();
}

TEST_F(InstalledPackage, OutlookLoadsTheInstalledAddinAndBlockSendersWorks) {
    ASSERT_NO_FATAL_FAILURE(EnsureInstalled());
    RegistrySandbox sandbox;
    const std::wstring profiles =
        L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
    RegistrySandbox::CreateKey(profiles + L"\\" + kProfile + L"\\" + kProfileListSubkey);
    RegistrySandbox::SetText(profiles, L"DefaultProfile", kProfile);
    RegistrySandbox::SetDword(L"Software\\Spamwarden Simulation\\MAPI", L"OutlookVersion", 14);

    sim::OutlookSession outlook{L"14.0.0.4760"};
    auto& box = outlook.mailbox();
    sim::Item& spam = box.AddMail(box.Inbox(), L"offers@spam.example", {L"me@corp.example"});
    box.Select({&spam});
    {
        sim::AddinHost host(outlook);
        host.Start();
        const sim::LoadedAddin* addin = host.Find(kProgId);
        ASSERT_NE(addin, nullptr) << "not loaded from the Addins key";
        EXPECT_EQ(addin->connectResult, S_OK);
        EXPECT_EQ(addin->startupResult, S_OK);
        EXPECT_EQ(addin->ribbonResult, S_OK);
        // The callbacks resolve through the type library the package registered.
        EXPECT_THAT(addin->unresolved, IsEmpty());
        EXPECT_NE(GetModuleHandleW(InstalledDll().c_str()), nullptr) << "not the installed DLL";

        EXPECT_EQ(host.Fire(kProgId, L"BlockSenders"), S_OK);
        EXPECT_TRUE(box.JunkEmail().contains(spam));
        host.Shutdown();
    }
    // Outlook unloads the DLL once nothing holds it; removal needs that too.
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleW(InstalledDll().c_str()), nullptr);

    g_profileName = kProfile;
    g_hostVersion = 14;
    EXPECT_EQ(RegistrySandbox::GetText(ProfileSubkeyPath(kProfileListSubkey), L"001f041a"),
              L"offers@spam.example;");
    g_profileName.clear();
    g_hostVersion = 0;
}

TEST_F(InstalledPackage, HelpOpensTheInstalledHelpFile) {
    ASSERT_NO_FATAL_FAILURE(EnsureInstalled());
    g_shellTargets.clear();
    const ShellOpener previous = SetShellOpener(&RecordShellOpen);
    OpenHelpFile();
    SetShellOpener(previous);
    ASSERT_THAT(g_shellTargets, ElementsAre(InstallFolder() + L"Spamwarden.chm"));
    EXPECT_TRUE(FileExists(g_shellTargets[0]));
}

TEST_F(InstalledPackage, ANewerPackageReplacesAnOlderOneAndIsNotDowngraded) {
    RemoveEveryRelease();
    const MsiPackage older(WindowsPath(SW_OLDER_PACKAGE));
    ASSERT_EQ(older.Install(), 0u) << "see " << Narrow(older.logPath());
    EXPECT_THAT(RelatedProducts(m_package.upgradeCode()), ElementsAre(older.productCode()));

    ASSERT_EQ(m_package.Install(), 0u) << "see " << Narrow(m_package.logPath());
    EXPECT_THAT(RelatedProducts(m_package.upgradeCode()), ElementsAre(m_package.productCode()));
    EXPECT_EQ(InstalledVersion(m_package.productCode()), m_package.version());
    EXPECT_FALSE(older.Installed());
    // The old release is removed before the new one is installed: nothing of
    // the new one goes with it.
    EXPECT_TRUE(FileExists(InstalledDll()));
    ExpectInstalledRegistration();

    EXPECT_EQ(older.Install(), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    EXPECT_THAT(RelatedProducts(m_package.upgradeCode()), ElementsAre(m_package.productCode()));
    EXPECT_TRUE(FileExists(InstalledDll()));
}

TEST_F(InstalledPackage, RemovalLeavesNothingOfItAndKeepsOtherAddins) {
    ASSERT_NO_FATAL_FAILURE(EnsureInstalled());
    unique_hkey other;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOtherAddin, 0, nullptr, 0, KEY_WRITE, nullptr,
                              other.put(), nullptr),
              ERROR_SUCCESS);
    const DWORD load = 3;
    RegSetValueExW(other.get(), L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&load),
                   sizeof load);
    other.reset();
    const ExpectedRegistration expected = ExpectedRegistrationOf(InstalledDll(), InstallFolder());

    ASSERT_EQ(m_package.Remove(), 0u) << "see " << Narrow(m_package.logPath());
    EXPECT_FALSE(m_package.Installed());
    EXPECT_FALSE(FileExists(InstalledDll()));
    EXPECT_FALSE(FileExists(InstallFolder() + L"Spamwarden.chm"));
    EXPECT_FALSE(FileExists(InstallFolder()));
    EXPECT_FALSE(FileExists(MakerFolder()));
    EXPECT_THAT(expected.ownKeys, ::testing::Not(IsEmpty()));
    for (const auto& [root, key] : expected.ownKeys)
        EXPECT_FALSE(KeyExists(root, key)) << Narrow(key);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kHelpKey));

    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOtherAddin));
    for (const auto& [root, key] : expected.sharedKeys)
        EXPECT_TRUE(KeyExists(root, key)) << Narrow(key);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kOtherAddin);
}

} // namespace
} // namespace sw::test
