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
#include "addin/idl/typelib_version.h"
#include "platform/registry_key.h"
#include "sim/loader/addin_host.h"
#include "store/profile_store.h"
#include "store/state.h"
#include "platform/version.h"
#include "platform/policy.h"
#include "support/help_file.h"
#include "support/shell_open.h"
#include "support/support_address.h"
#include "support/support_mail.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/installer/expected_registration.h"
#include "tests/installer/msi_package.h"
#include "tests/installer/registry_probe.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <set>
#include <string>
#include <string_view>
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
constexpr bool kIs64Bit = sizeof(void*) == 8;
constexpr const wchar_t* kThisArch = kIs64Bit ? L"x64" : L"x86";
constexpr const wchar_t* kOtherArch = kIs64Bit ? L"x86" : L"x64";

std::wstring WindowsPath(const char* unixPath) {
    const std::string unix = unixPath;
    std::wstring path = L"Z:" + std::wstring(unix.begin(), unix.end());
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
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

// HKEY_CLASSES_ROOT seen as the user's own classes for the object's
// lifetime. Windows shows HKCU\\Software\\Classes through HKEY_CLASSES_ROOT
// (before the machine's classes); Wine shows only the machine's, so a test of
// an installation for one user provides that view itself.
class UserClassesRoot {
public:
    UserClassesRoot() {
        EXPECT_EQ(
            RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ, m_classes.put()),
            ERROR_SUCCESS);
        EXPECT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, m_classes.get()), ERROR_SUCCESS);
    }
    ~UserClassesRoot() { RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); }
    UserClassesRoot(const UserClassesRoot&) = delete;
    UserClassesRoot& operator=(const UserClassesRoot&) = delete;

private:
    unique_hkey m_classes;
};

enum class Scope { machine, user };

// The simulated Outlook 2010 loads the add-in registered as Spamwarden.Connect
// from `dll`, its ribbon callbacks resolve through the registered type
// library and Block Senders moves the selected message and lists its sender.
void ExpectOutlookLoadsAndBlocks(const std::wstring& dll, Scope scope = Scope::machine) {
    // The add-ins Outlook finds in the real registry, before the mailbox's
    // profile is set up in a sandbox of HKEY_CURRENT_USER.
    const std::vector<std::wstring> registered = sim::AddinHost::RegisteredAddins();
    EXPECT_THAT(registered, ::testing::Contains(std::wstring(kProgId)));
    // The mailbox's profile goes into a sandbox of HKEY_CURRENT_USER, except
    // for an installation for one user, whose registration the sandbox would
    // hide: there it goes into the real key, removed at the end.
    const std::wstring profiles =
        L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
    std::optional<UserClassesRoot> userClasses;
    std::optional<RegistrySandbox> sandbox;
    struct RealProfileRemover {
        const std::wstring& profiles;
        ~RealProfileRemover() {
            RegistrySandbox::DeleteKey(profiles);
            RegistrySandbox::DeleteKey(L"Software\\Spamwarden Simulation");
        }
    };
    std::optional<RealProfileRemover> realProfile;
    if (scope == Scope::user) {
        userClasses.emplace();
        realProfile.emplace(profiles);
    } else {
        sandbox.emplace();
    }
    RegistrySandbox::CreateKey(profiles + L"\\" + kProfile + L"\\" + kProfileListSubkey);
    RegistrySandbox::SetText(profiles, L"DefaultProfile", kProfile);
    RegistrySandbox::SetDword(L"Software\\Spamwarden Simulation\\MAPI", L"OutlookVersion", 14);

    sim::OutlookSession outlook{L"14.0.0.4760"};
    auto& box = outlook.mailbox();
    sim::Item& spam = box.AddMail(box.Inbox(), L"offers@spam.example", {L"me@corp.example"});
    box.Select({&spam});
    {
        sim::AddinHost host(outlook);
        for (const std::wstring& progId : registered)
            host.Load(progId);
        const sim::LoadedAddin* addin = host.Find(kProgId);
        ASSERT_NE(addin, nullptr) << "not loaded from the Addins key";
        EXPECT_EQ(addin->connectResult, S_OK);
        EXPECT_EQ(addin->startupResult, S_OK);
        EXPECT_EQ(addin->ribbonResult, S_OK);
        // The callbacks resolve through the registered type library.
        EXPECT_THAT(addin->unresolved, IsEmpty());
        EXPECT_NE(GetModuleHandleW(dll.c_str()), nullptr) << "not " << Narrow(dll);

        EXPECT_EQ(host.Fire(kProgId, L"BlockSenders"), S_OK);
        EXPECT_TRUE(box.JunkEmail().contains(spam));
        host.Shutdown();
    }
    // Outlook unloads the DLL once nothing holds it; removal needs that too.
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleW(dll.c_str()), nullptr);

    g_host.profileName = kProfile;
    g_host.capabilities = HostCapabilities(14);
    EXPECT_EQ(RegistrySandbox::GetText(ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey),
                                       L"001f041a"),
              L"offers@spam.example;");
    g_host.profileName.clear();
    g_host.capabilities = HostCapabilities(0);
}

std::vector<std::wstring> g_shellTargets;

void RecordShellOpen(const std::wstring& target) {
    g_shellTargets.push_back(target);
}

// The product codes that the README's and the help's look-up finds: the
// names of the keys under Uninstall, in the machine's 64-bit and 32-bit views
// and the user's, whose DisplayName starts with "Spamwarden".
std::vector<std::wstring> UninstallEntries() {
    constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    std::vector<std::wstring> found;
    const std::pair<HKEY, REGSAM> places[] = {{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
                                              {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
                                              {HKEY_CURRENT_USER, 0}};
    for (const auto& [root, view] : places) {
        unique_hkey uninstall;
        if (RegOpenKeyExW(root, kUninstall, 0, KEY_READ | view, uninstall.put()) != ERROR_SUCCESS)
            continue;
        wchar_t name[256];
        for (DWORD i = 0, length = ARRAYSIZE(name);
             RegEnumKeyExW(uninstall.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS;
             ++i, length = ARRAYSIZE(name)) {
            wchar_t shown[256] = {};
            DWORD size = sizeof shown;
            if (RegGetValueW(uninstall.get(), name, L"DisplayName", RRF_RT_REG_SZ, nullptr, shown,
                             &size) == ERROR_SUCCESS &&
                std::wstring_view(shown).starts_with(L"Spamwarden"))
                found.push_back(name);
        }
    }
    return found;
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

// Every package the tests install, the older release and the other
// architecture's among them, writes the keys a release writes: the same
// Registry table as this tree's package of its scope (the other
// architecture's with its own type-library platform), no key with an empty
// part, and the type library's version and locale.
TEST(PackageRegistry, EveryPackageUsedWritesTheKeysOfARelease) {
    const auto keys = [](const MsiPackage& package) {
        std::vector<std::wstring> rows = package.Select(L"SELECT `Key` FROM `Registry`");
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    const auto otherPlatform = [](std::vector<std::wstring> rows) {
        const std::wstring ours = kIs64Bit ? L"\\win64" : L"\\win32";
        const std::wstring theirs = kIs64Bit ? L"\\win32" : L"\\win64";
        for (std::wstring& row : rows) {
            if (row.size() > ours.size() && row.ends_with(ours))
                row.replace(row.size() - ours.size(), ours.size(), theirs);
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    const std::wstring version =
        std::to_wstring(SW_TYPELIB_MAJOR) + L"." + std::to_wstring(SW_TYPELIB_MINOR);
    wchar_t locale[16] = {};
    swprintf(locale, ARRAYSIZE(locale), L"%x", static_cast<unsigned>(SW_TYPELIB_LCID));
    const std::wstring platformKey =
        L"\\" + version + L"\\" + locale + L"\\" + (kIs64Bit ? L"win64" : L"win32");

    const MsiPackage machine(WindowsPath(SW_PACKAGE)), user(WindowsPath(SW_USER_PACKAGE));
    const struct {
        const char* name;
        MsiPackage package;
        std::vector<std::wstring> expected;
    } packages[] = {
        {"this machine package", MsiPackage(WindowsPath(SW_PACKAGE)), keys(machine)},
        {"the older release", MsiPackage(WindowsPath(SW_OLDER_PACKAGE)), keys(machine)},
        {"the other architecture's", MsiPackage(WindowsPath(SW_OTHER_PACKAGE)),
         otherPlatform(keys(machine))},
        {"the other architecture's for one user", MsiPackage(WindowsPath(SW_OTHER_USER_PACKAGE)),
         otherPlatform(keys(user))},
    };
    for (const auto& [name, package, expected] : packages) {
        SCOPED_TRACE(name);
        const std::vector<std::wstring> rows = keys(package);
        EXPECT_EQ(rows, expected);
        for (const std::wstring& key : rows)
            EXPECT_TRUE(key.find(L"\\\\") == std::wstring::npos && !key.ends_with(L"\\"))
                << Narrow(key);
        EXPECT_THAT(package.Select(L"SELECT `Value` FROM `Registry` WHERE `Name` = 'Version'"),
                    ElementsAre(version));
    }
    // Checked once for this tree's packages, so that the comparisons above
    // compare with a release's keys.
    for (const MsiPackage* package : {&machine, &user}) {
        const std::vector<std::wstring> rows = keys(*package);
        EXPECT_EQ(
            std::count_if(rows.begin(), rows.end(),
                          [&](const std::wstring& key) { return key.ends_with(platformKey); }),
            1)
            << Narrow(platformKey);
    }
}

TEST_F(InstalledPackage, InstallsTheFilesAndTheRegistrationTheDllWouldWrite) {
    RemoveEveryRelease();
    ASSERT_EQ(m_package.Install(), 0u) << "see " << Narrow(m_package.logPath());
    EXPECT_TRUE(m_package.Installed());
    EXPECT_TRUE(FileExists(InstalledDll())) << Narrow(InstalledDll());
    EXPECT_TRUE(FileExists(InstallFolder() + L"Spamwarden.chm"));
    ExpectInstalledRegistration();
    // Found by its product code where the removal instructions look.
    EXPECT_THAT(UninstallEntries(), ::testing::Contains(m_package.productCode()));
}

TEST_F(InstalledPackage, OutlookLoadsTheInstalledAddinAndBlockSendersWorks) {
    ASSERT_NO_FATAL_FAILURE(EnsureInstalled());
    ExpectOutlookLoadsAndBlocks(InstalledDll());
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

TEST_F(InstalledPackage, ASupportAddressGivenAtInstallationIsKeptByAnUpgradeAndRemovedWithIt) {
    RemoveEveryRelease();
    const MsiPackage older(WindowsPath(SW_OLDER_PACKAGE));
    ASSERT_EQ(older.Install(L"SUPPORTADDRESS=helpdesk@corp.example"), 0u)
        << "see " << Narrow(older.logPath());
    EXPECT_EQ(ReadMachineText(kSupportAddressValue), L"helpdesk@corp.example");
    EXPECT_EQ(SupportAddress(), L"helpdesk@corp.example");

    // The upgrade is not given one: the recorded address stays.
    ASSERT_EQ(m_package.Install(), 0u) << "see " << Narrow(m_package.logPath());
    EXPECT_EQ(ReadMachineText(kSupportAddressValue), L"helpdesk@corp.example");

    ASSERT_EQ(m_package.Remove(), 0u) << "see " << Narrow(m_package.logPath());
    EXPECT_FALSE(ReadMachineText(kSupportAddressValue).has_value());
    EXPECT_EQ(SupportAddress(), kSupportAddress);

    // Without one, none is recorded.
    ASSERT_EQ(m_package.Install(), 0u) << "see " << Narrow(m_package.logPath());
    EXPECT_FALSE(ReadMachineText(kSupportAddressValue).has_value());
}

// The address recorded under `root` in the registry view of a package of
// this test's bitness (`ours`) or of the other one.
std::optional<std::wstring> RecordedSupportAddress(HKEY root, bool ours) {
    unique_hkey key;
    if (RegOpenKeyExW(root, kHelpKey, 0, KEY_QUERY_VALUE | (ours ? 0 : OtherRegistryView()),
                      key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), kSupportAddressValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

// Each package replaces the other architecture's package of its scope. An
// address given to the replaced one and not to its replacement stays, in
// the registry view of the replacement, where its add-in reads it.
TEST_F(InstalledPackage, ASupportAddressSurvivesTheReplacementByTheOtherArchitecturesPackage) {
    struct Case {
        const char* first;
        const char* second;
        bool secondIsOurs; // of this test's bitness
        HKEY root;
    };
    const Case cases[] = {
        {SW_OTHER_PACKAGE, SW_PACKAGE, true, HKEY_LOCAL_MACHINE},
        {SW_PACKAGE, SW_OTHER_PACKAGE, false, HKEY_LOCAL_MACHINE},
        {SW_OTHER_USER_PACKAGE, SW_USER_PACKAGE, true, HKEY_CURRENT_USER},
        {SW_USER_PACKAGE, SW_OTHER_USER_PACKAGE, false, HKEY_CURRENT_USER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " replaced by " + c.second);
        RemoveEveryRelease();
        const MsiPackage first(WindowsPath(c.first));
        const MsiPackage second(WindowsPath(c.second));
        ASSERT_EQ(first.Install(L"SUPPORTADDRESS=helpdesk@corp.example"), 0u)
            << "see " << Narrow(first.logPath());
        ASSERT_EQ(second.Install(), 0u) << "see " << Narrow(second.logPath());
        EXPECT_FALSE(first.Installed());
        EXPECT_TRUE(second.Installed());
        EXPECT_EQ(RecordedSupportAddress(c.root, c.secondIsOurs), L"helpdesk@corp.example");

        ASSERT_EQ(second.Remove(), 0u) << "see " << Narrow(second.logPath());
        for (bool ours : {true, false})
            EXPECT_FALSE(RecordedSupportAddress(c.root, ours).has_value());
    }
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

// --- Outlook's bitness --------------------------------------------------------

constexpr const wchar_t* kOfficeVersions[] = {L"14.0", L"15.0", L"16.0"};
constexpr wchar_t kClickToRunKey[] = L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\Configuration";

std::wstring MsiOutlookKey(const wchar_t* version) {
    return std::wstring(L"SOFTWARE\\Microsoft\\Office\\") + version + L"\\Outlook";
}

// Outlook's bitness where Office records it, removed again at the end.
class OfficeBitness {
public:
    OfficeBitness() = default;
    OfficeBitness(const OfficeBitness&) = delete;
    OfficeBitness& operator=(const OfficeBitness&) = delete;
    ~OfficeBitness() { Clear(); }

    // An Outlook installed from Windows Installer packages (`version` 14.0,
    // 15.0 or 16.0): 32-bit Office on 64-bit Windows writes into the 32-bit
    // registry view.
    void SetMsiOutlook(const wchar_t* bitness, const wchar_t* version = L"16.0") {
        Set(MsiOutlookKey(version).c_str(), L"Bitness", bitness,
            lstrcmpW(bitness, L"x86") == 0 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
    }
    // Click-to-Run keeps its configuration in the 64-bit view.
    void SetClickToRun(const wchar_t* platform) {
        Set(kClickToRunKey, L"Platform", platform, KEY_WOW64_64KEY);
    }
    void Clear() {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            for (const wchar_t* version : kOfficeVersions)
                RegDeleteKeyExW(HKEY_LOCAL_MACHINE, MsiOutlookKey(version).c_str(), view, 0);
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kClickToRunKey, view, 0);
        }
    }

private:
    static void Set(const wchar_t* path, const wchar_t* name, const wchar_t* text, REGSAM view) {
        unique_hkey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE | view,
                                  nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
};

std::wstring RefusalText(const wchar_t* suffix) {
    return std::wstring(L"This package is for ") + (kIs64Bit ? L"64" : L"32") +
           L"-bit Outlook; this computer has " + (kIs64Bit ? L"32" : L"64") +
           L"-bit Outlook: install " + Wide(SW_PACKAGE_NAME) + L"-" + kOtherArch + suffix + L".msi";
}

using BitnessCheck = InstalledPackage;

// Refused with exit code 1603 and nothing installed; the message is the
// package's launch condition (shown by msiexec, which Wine does not log).
void ExpectRefused(const MsiPackage& package, const wchar_t* suffix,
                   const wchar_t* properties = L"") {
    EXPECT_EQ(package.Install(properties), static_cast<DWORD>(ERROR_INSTALL_FAILURE))
        << "see " << Narrow(package.logPath());
    EXPECT_FALSE(package.Installed());
    EXPECT_THAT(package.Select(L"SELECT `Description` FROM `LaunchCondition`"),
                ::testing::Contains(RefusalText(suffix)));
}

// Without any Outlook the packages install: every other test here installs
// on a machine without one.
TEST_F(BitnessCheck, AnOutlookOfTheOtherBitnessIsRefusedNamingThePackageToUse) {
    RemoveEveryRelease();
    const MsiPackage user(WindowsPath(SW_USER_PACKAGE));
    OfficeBitness office;
    office.SetMsiOutlook(kOtherArch);
    ExpectRefused(m_package, L"");
    ExpectRefused(user, L"-user");

    office.Clear();
    office.SetClickToRun(kOtherArch);
    ExpectRefused(m_package, L"");
    ExpectRefused(user, L"-user");
    EXPECT_FALSE(FileExists(InstalledDll()));
}

// An upgraded Office leaves the older Outlook's Bitness behind: the newest
// Outlook the machine records decides (Click-to-Run, then 16.0, 15.0, 14.0),
// and only SKIPBITNESSCHECK=1 skips the check.
TEST_F(BitnessCheck, TheNewestOutlookRecordedDecidesAndOnlySkipOneSkips) {
    RemoveEveryRelease();
    struct Case {
        const char* machine;
        const wchar_t* clickToRun;                        // Platform, or null
        std::vector<std::pair<const wchar_t*, bool>> msi; // version, of this bitness
        const wchar_t* properties;
        bool installs;
    };
    const Case cases[] = {
        {"Click-to-Run and 16.0 this", kThisArch, {{L"16.0", true}}, L"", true},
        {"16.0 this beside 14.0 other", nullptr, {{L"14.0", false}, {L"16.0", true}}, L"", true},
        {"16.0 other beside 14.0 this", nullptr, {{L"14.0", true}, {L"16.0", false}}, L"", false},
        {"15.0 other beside 14.0 this", nullptr, {{L"14.0", true}, {L"15.0", false}}, L"", false},
        {"Click-to-Run other beside 14.0 this", kOtherArch, {{L"14.0", true}}, L"", false},
        {"Click-to-Run this beside 14.0 other", kThisArch, {{L"14.0", false}}, L"", true},
        {"other, SKIPBITNESSCHECK=0", nullptr, {{L"16.0", false}}, L"SKIPBITNESSCHECK=0", false},
        {"other, SKIPBITNESSCHECK=1", nullptr, {{L"16.0", false}}, L"SKIPBITNESSCHECK=1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.machine);
        OfficeBitness office;
        if (c.clickToRun)
            office.SetClickToRun(c.clickToRun);
        for (const auto& [version, ours] : c.msi)
            office.SetMsiOutlook(ours ? kThisArch : kOtherArch, version);
        if (!c.installs) {
            ExpectRefused(m_package, L"", c.properties);
            if (m_package.Installed())
                static_cast<void>(m_package.Remove()); // for the cases after this one
            continue;
        }
        EXPECT_EQ(m_package.Install(c.properties), 0u) << "see " << Narrow(m_package.logPath());
        EXPECT_TRUE(m_package.Installed());
        // Removal is never refused.
        EXPECT_EQ(m_package.Remove(), 0u) << "see " << Narrow(m_package.logPath());
        EXPECT_FALSE(m_package.Installed());
    }
}

// --- the Windows it needs ----------------------------------------------------

// Wine tells msiexec that it runs on the Windows that
// HKCU\Software\Wine\AppDefaults\msiexec.exe names ("winxp"), for the object's
// lifetime.
class WindowsSeenByMsiexec {
public:
    explicit WindowsSeenByMsiexec(const wchar_t* version) {
        unique_hkey key;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  key.put(), nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key.get(), L"Version", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(version),
                                 static_cast<DWORD>((lstrlenW(version) + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    ~WindowsSeenByMsiexec() { RegDeleteKeyW(HKEY_CURRENT_USER, kKey); }
    WindowsSeenByMsiexec(const WindowsSeenByMsiexec&) = delete;
    WindowsSeenByMsiexec& operator=(const WindowsSeenByMsiexec&) = delete;

private:
    static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\msiexec.exe";
};

// Spamwarden.dll needs Windows Vista (VersionNT 600). On an older Windows
// both packages are refused by a launch condition, exit code 1603, nothing
// installed; removal is never refused.
TEST_F(InstalledPackage, AWindowsOlderThanVistaIsRefusedAndRemovalNever) {
    const MsiPackage user(WindowsPath(SW_USER_PACKAGE));
    for (const MsiPackage* package : {static_cast<const MsiPackage*>(&m_package), &user}) {
        SCOPED_TRACE(Narrow(package->path()));
        RemoveEveryRelease();
        EXPECT_THAT(package->Select(L"SELECT `Description` FROM `LaunchCondition`"),
                    ::testing::Contains(L"Spamwarden needs Windows Vista or later."));
        {
            const WindowsSeenByMsiexec xp(L"winxp");
            EXPECT_EQ(package->Install(), static_cast<DWORD>(ERROR_INSTALL_FAILURE))
                << "see " << Narrow(package->logPath());
            EXPECT_FALSE(package->Installed());
        }
        {
            const WindowsSeenByMsiexec vista(L"vista");
            ASSERT_EQ(package->Install(), 0u) << "see " << Narrow(package->logPath());
            EXPECT_TRUE(package->Installed());
        }
        const WindowsSeenByMsiexec xp(L"winxp");
        EXPECT_EQ(package->Remove(), 0u) << "see " << Narrow(package->logPath());
        EXPECT_FALSE(package->Installed());
    }
}

// --- properties given on the command line ------------------------------------

// The public properties (names in capitals) that a condition reads; quoted
// text is a value, not a name.
std::set<std::wstring> PublicPropertiesIn(const std::wstring& condition) {
    static const std::set<std::wstring> operators = {L"NOT", L"AND", L"OR", L"XOR", L"EQV", L"IMP"};
    std::set<std::wstring> names;
    std::wstring word;
    const auto end = [&] {
        const bool name =
            !word.empty() && !std::iswdigit(word[0]) &&
            std::none_of(word.begin(), word.end(), [](wchar_t c) { return std::iswlower(c); });
        if (name && !operators.contains(word))
            names.insert(word);
        word.clear();
    };
    bool quoted = false;
    for (wchar_t c : condition) {
        if (c == L'"')
            quoted = !quoted;
        if (!quoted && (std::iswalnum(c) || c == L'_' || c == L'.'))
            word += c;
        else
            end();
    }
    end();
    return names;
}

// Windows Installer passes to the elevated part of an installation, which
// evaluates the conditions again, only the public properties that the
// package names in SecureCustomProperties (and a few of its own). Every
// public property the package's conditions read and its searches do not set
// in both sequences (an administrator's SKIPBITNESSCHECK, SUPPORTADDRESS),
// and every property its Upgrade rows set, must be named there.
TEST(PackageProperties, ThoseAnInstallationIsGivenOrFindsAreSecure) {
    for (const char* path : {SW_PACKAGE, SW_USER_PACKAGE}) {
        SCOPED_TRACE(path);
        const MsiPackage package(WindowsPath(path));
        std::set<std::wstring> needed;
        for (const wchar_t* query :
             {L"SELECT `Condition` FROM `LaunchCondition`", L"SELECT `Condition` FROM `Component`",
              L"SELECT `Condition` FROM `InstallUISequence`",
              L"SELECT `Condition` FROM `InstallExecuteSequence`"}) {
            for (const std::wstring& condition : package.Select(query))
                needed.merge(PublicPropertiesIn(condition));
        }
        EXPECT_THAT(package.Select(L"SELECT `Action` FROM `InstallExecuteSequence` WHERE "
                                   L"`Action` = 'AppSearch'"),
                    ElementsAre(L"AppSearch"));
        for (const std::wstring& found : package.Select(L"SELECT `Property` FROM `AppSearch`"))
            needed.erase(found);
        for (const std::wstring& set : package.Select(L"SELECT `ActionProperty` FROM `Upgrade`"))
            needed.insert(set);
        EXPECT_THAT(needed, ::testing::IsSupersetOf({L"SKIPBITNESSCHECK", L"SUPPORTADDRESS",
                                                     L"SPAMWARDEN_NEWER", L"SPAMWARDEN_REPLACED"}));

        std::set<std::wstring> secure;
        for (const std::wstring& list : package.Select(
                 L"SELECT `Value` FROM `Property` WHERE `Property` = 'SecureCustomProperties'")) {
            for (size_t start = 0; start <= list.size();) {
                const size_t end = std::min(list.find(L';', start), list.size());
                secure.insert(list.substr(start, end - start));
                start = end + 1;
            }
        }
        for (const std::wstring& name : needed)
            EXPECT_TRUE(secure.contains(name)) << Narrow(name) << " is not secure";
    }
}

// --- for one user, without administrator rights ------------------------------

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

std::wstring UserMakerFolder() {
    return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Tallpine";
}

std::wstring UserInstallFolder() {
    return UserMakerFolder() + L"\\Spamwarden\\";
}

TEST_F(InstalledPackage, ForOneUserItInstallsLoadsBlocksAndIsRemovedWithoutATrace) {
    RemoveEveryRelease();
    const std::wstring programs = KnownFolder(FOLDERID_LocalAppData) + L"\\Programs";
    // An empty one, left by an earlier run, goes first: then the package makes it.
    RemoveDirectoryW(programs.c_str());
    const bool hadPrograms = FileExists(programs);
    const MsiPackage user(WindowsPath(SW_USER_PACKAGE));
    ASSERT_EQ(user.Install(), 0u) << "see " << Narrow(user.logPath());
    EXPECT_TRUE(user.Installed());
    const std::wstring dll = UserInstallFolder() + L"Spamwarden.dll";
    EXPECT_TRUE(FileExists(dll)) << Narrow(dll);
    EXPECT_TRUE(FileExists(UserInstallFolder() + L"Spamwarden.chm"));
    EXPECT_FALSE(FileExists(InstalledDll())) << "nothing in Program Files";
    EXPECT_THAT(UninstallEntries(), ::testing::Contains(user.productCode()));

    const ExpectedRegistration expected =
        ForOneUser(ExpectedRegistrationOf(dll, UserInstallFolder()));
    for (const RegistryEntry& entry : expected.values) {
        EXPECT_EQ(entry.root, HKEY_CURRENT_USER);
        const std::wstring mismatch = Mismatch(entry);
        EXPECT_TRUE(mismatch.empty()) << Narrow(mismatch);
    }
    RegistryEntry help;
    help.root = HKEY_CURRENT_USER;
    help.key = kHelpKey;
    help.name = L"Path";
    help.text = UserInstallFolder();
    help.folder = true;
    EXPECT_TRUE(Mismatch(help).empty()) << Narrow(Mismatch(help));
    // Nothing for the machine, in either view.
    for (REGSAM view : {REGSAM{0}, OtherRegistryView()}) {
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + ClassKey(), view));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAddinKey, view));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kHelpKey, view));
    }
    // The class is registered in the registry view of the package's bitness
    // (Windows keeps a 32-bit class of HKCU\Software\Classes\CLSID apart, in
    // Wow6432Node; the components carry the package's bitness, which
    // release_hygiene checks). The add-in key is the same in both views.
    const std::wstring userClassKey = L"Software\\Classes\\" + ClassKey();
    EXPECT_TRUE(
        KeyExists(HKEY_CURRENT_USER, userClassKey, kIs64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddinKey, OtherRegistryView()));

    ExpectOutlookLoadsAndBlocks(dll, Scope::user);
    g_shellTargets.clear();
    const ShellOpener previous = SetShellOpener(&RecordShellOpen);
    OpenHelpFile();
    SetShellOpener(previous);
    EXPECT_THAT(g_shellTargets, ElementsAre(UserInstallFolder() + L"Spamwarden.chm"));

    ASSERT_EQ(user.Remove(), 0u) << "see " << Narrow(user.logPath());
    EXPECT_FALSE(user.Installed());
    EXPECT_FALSE(FileExists(dll));
    EXPECT_FALSE(FileExists(UserInstallFolder()));
    EXPECT_FALSE(FileExists(UserMakerFolder()));
    EXPECT_EQ(FileExists(programs), hadPrograms) << "the user's programs folder, if it made it";
    for (const auto& [root, key] : expected.ownKeys) {
        for (REGSAM view : {REGSAM{0}, OtherRegistryView()})
            EXPECT_FALSE(KeyExists(root, key, view)) << Narrow(key);
    }
    help.text.clear();
    EXPECT_THAT(Narrow(Mismatch(help)),
                ::testing::AnyOf(HasSubstr("key missing"), HasSubstr("value missing")));
}

// The two scopes share no file, key or value, so Windows Installer, which
// finds related products only in its own context, keeps a user's copy and
// the machine's apart. Where Spamwarden is installed for all users (by
// either architecture's package), the package for one user is refused and
// removes nothing; removing a copy for one user installed before the
// machine's is never refused and leaves the machine's registration alone.
TEST_F(InstalledPackage, AUsersCopyIsRefusedWhereAllUsersHaveOneAndNeverRemovesIt) {
    const MsiPackage user(WindowsPath(SW_USER_PACKAGE));
    for (const char* machinePath : {SW_PACKAGE, SW_OTHER_PACKAGE}) {
        SCOPED_TRACE(machinePath);
        RemoveEveryRelease();
        const MsiPackage machine(WindowsPath(machinePath));
        ASSERT_EQ(machine.Install(), 0u) << "see " << Narrow(machine.logPath());
        for (REGSAM view : {REGSAM{0}, OtherRegistryView()}) {
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\" + ClassKey(), view));
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey, view));
        }
        EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, kHelpKey, L"Path", RRF_RT_ANY, nullptr, nullptr,
                               nullptr),
                  ERROR_SUCCESS);

        EXPECT_EQ(user.Install(), static_cast<DWORD>(ERROR_INSTALL_FAILURE))
            << "see " << Narrow(user.logPath());
        EXPECT_FALSE(user.Installed());
        EXPECT_TRUE(machine.Installed());
        EXPECT_THAT(RelatedProducts(machine.upgradeCode()), ElementsAre(machine.productCode()));
        ASSERT_EQ(machine.Remove(), 0u) << "see " << Narrow(machine.logPath());
    }
    EXPECT_THAT(
        user.Select(L"SELECT `Description` FROM `LaunchCondition`"),
        ::testing::Contains(L"Spamwarden is already installed for all users of this computer."));

    // Installed before the machine's (which Windows installs beside it).
    ASSERT_EQ(user.Install(), 0u) << "see " << Narrow(user.logPath());
    {
        unique_hkey machineAddin;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAddinKey, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, machineAddin.put(), nullptr),
                  ERROR_SUCCESS);
        const wchar_t name[] = L"Spamwarden";
        ASSERT_EQ(RegSetValueExW(machineAddin.get(), L"FriendlyName", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(name), sizeof name),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(user.Remove(), 0u) << "see " << Narrow(user.logPath());
    EXPECT_FALSE(user.Installed());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAddinKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAddinKey);
}

// --- signed with Authenticode ------------------------------------------------

std::wstring SignedCopy(const char* builtPath) {
    const std::string path = builtPath;
    return WindowsPath(SW_SIGNED_DIR) + L"\\" + Wide(path.substr(path.find_last_of('/') + 1));
}

// The signing test leaves signed copies of the DLL and the packages.
TEST_F(InstalledPackage, ASignedDllRegistersAndLoadsAndASignedPackageInstalls) {
    RemoveEveryRelease();
    const std::wstring dll = SignedCopy(SW_ADDIN_DLL);
    ASSERT_TRUE(FileExists(dll)) << Narrow(dll);
    ASSERT_EQ(RunRegsvr32(dll, false), 0u);
    ExpectOutlookLoadsAndBlocks(dll);
    EXPECT_EQ(RunRegsvr32(dll, true), 0u);

    for (const char* built : {SW_PACKAGE, SW_USER_PACKAGE}) {
        const MsiPackage signedPackage(SignedCopy(built));
        ASSERT_EQ(signedPackage.Install(), 0u) << "see " << Narrow(signedPackage.logPath());
        EXPECT_TRUE(signedPackage.Installed());
        EXPECT_EQ(signedPackage.Remove(), 0u);
    }
}

} // namespace
} // namespace sw::test
