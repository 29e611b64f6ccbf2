// The built Spamwarden.dll as Windows sees it: regsvr32 registration and
// removal in the prefix's real registry, and the simulated Outlook loading
// it from its Addins key.
#include "tests/addin/addin_fixture.h"

#include "addin/idl/spamwarden.h"
#include "platform/automation.h"
#include "platform/registry_key.h"
#include "sim/loader/addin_host.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace sw::test {
namespace {

using ::testing::IsEmpty;

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

const std::wstring kClsidKey = L"CLSID\\" + GuidText(CLSID_Connect);
const std::wstring kTypeLibKey = L"TypeLib\\" + GuidText(LIBID_SPAMWARDENLib);
constexpr wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins";
constexpr wchar_t kOtherAddin[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Other.Addin";

DWORD RunRegsvr32(bool unregister) {
    std::wstring command = L"regsvr32.exe /s ";
    if (unregister)
        command += L"/u ";
    command += L"\"" + AddinDllPath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return GetLastError();
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

bool Exists(HKEY root, const std::wstring& path) {
    unique_hkey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::wstring Text(HKEY root, const std::wstring& path, const wchar_t* name) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return L"<none>";
    return buffer;
}

DWORD Dword(HKEY root, const std::wstring& path, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    RegGetValueW(root, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

// Creates the add-in straight from the DLL's class factory, registered or not.
com_ptr<IDispatch> CreateFromDll(HMODULE dll) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    com_ptr<IClassFactory> factory;
    EXPECT_EQ(get(CLSID_Connect, IID_IClassFactory, factory.put_void()), S_OK);
    com_ptr<IUnknown> none;
    EXPECT_EQ(get(IID_IConnect, IID_IClassFactory, none.put_void()), CLASS_E_CLASSNOTAVAILABLE);
    com_ptr<IDispatch> object;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, object.put_void()), S_OK);
    return object;
}

HRESULT LookUp(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

// Runs first: nothing of the add-in is registered yet in this process.
TEST(Registration, CallbacksResolveOnlyWithTheTypeLibraryRegistered) {
    ASSERT_EQ(RunRegsvr32(true), 0u);
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, kTypeLibKey));

    HMODULE dll = LoadLibraryW(AddinDllPath().c_str());
    ASSERT_NE(dll, nullptr);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnload>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    {
        com_ptr<IDispatch> connect = CreateFromDll(dll);
        EXPECT_EQ(LookUp(connect.get(), L"OnBlockSenders"), TYPE_E_LIBNOTREGISTERED);
        EXPECT_EQ(canUnload(), S_FALSE) << "a live object holds the module";

        ASSERT_EQ(RunRegsvr32(false), 0u);
        for (const wchar_t* name :
             {L"OnBlockSenders", L"OnManageBlockedSenders", L"OnBlockDomains", L"OnRibbonHelp",
              L"GetBlockSenderImage", L"GetBlockDomainImage", L"OnRibbonLoad",
              L"OnRibbonGetEnabled", L"OnRibbonSupport", L"OnBlockSingleDomain"})
            EXPECT_EQ(LookUp(connect.get(), name), S_OK) << name;
    }
    EXPECT_EQ(canUnload(), S_OK);
    FreeLibrary(dll);
}

TEST(Registration, WritesTheClassTheProgIdsAndTheAddinKey) {
    // A stale subkey from an older version disappears on registration.
    HKEY stale = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (std::wstring(kClsidKey) + L"\\Stale").c_str(), 0,
                              nullptr, 0, KEY_WRITE, nullptr, &stale, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(stale);
    ASSERT_EQ(RunRegsvr32(false), 0u);
    ASSERT_EQ(RunRegsvr32(false), 0u);
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\Stale"));

    const std::wstring server = std::wstring(kClsidKey) + L"\\InprocServer32";
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kClsidKey, nullptr), L"Connect Class");
    EXPECT_EQ(lstrcmpiW(Text(HKEY_CLASSES_ROOT, server, nullptr).c_str(), AddinDllPath().c_str()),
              0)
        << Text(HKEY_CLASSES_ROOT, server, nullptr);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, server, L"ThreadingModel"), L"Apartment");
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\Programmable"));
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\TypeLib", nullptr),
              GuidText(LIBID_SPAMWARDENLib));
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, L"Spamwarden.Connect\\CurVer", nullptr),
              L"Spamwarden.Connect.1");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, L"Spamwarden.Connect.1\\CLSID", nullptr),
              GuidText(CLSID_Connect));

    const std::wstring addin = std::wstring(kAddinsKey) + L"\\Spamwarden.Connect";
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, addin, L"FriendlyName"), L"Spamwarden");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, addin, L"Description"), L"Spamwarden");
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, addin, L"LoadBehavior"), 3u);
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, addin, L"RequireShutdownNotification"), 1u);
}

TEST(Registration, RemovalLeavesOtherAddinsAlone) {
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOtherAddin, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    ASSERT_EQ(RunRegsvr32(true), 0u);
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, kClsidKey));
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, L"Spamwarden.Connect"));
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, L"Spamwarden.Connect.1"));
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, kTypeLibKey));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, std::wstring(kAddinsKey) + L"\\Spamwarden.Connect"));
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, kOtherAddin));
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, L"CLSID"));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kOtherAddin);
    ASSERT_EQ(RunRegsvr32(false), 0u);
}

// Outlook reads the user's Addins key before the machine's; a ProgID in both
// loads once, as the user's entry says.
TEST(Registration, TheUsersAddinsComeFirstAndTheirEntryDecides) {
    struct Entry {
        HKEY root;
        const wchar_t* progId;
        DWORD loadBehavior;
    };
    const Entry entries[] = {
        {HKEY_LOCAL_MACHINE, L"Test.MachineOnly", 3}, {HKEY_CURRENT_USER, L"Test.UserOnly", 3},
        {HKEY_LOCAL_MACHINE, L"Test.Both", 3},        {HKEY_CURRENT_USER, L"Test.Both", 3},
        {HKEY_LOCAL_MACHINE, L"Test.UserOff", 3},     {HKEY_CURRENT_USER, L"Test.UserOff", 0},
    };
    for (const Entry& entry : entries) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(entry.root,
                                  (std::wstring(kAddinsKey) + L"\\" + entry.progId).c_str(), 0,
                                  nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"LoadBehavior", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&entry.loadBehavior), sizeof(DWORD));
        RegCloseKey(key);
    }
    std::vector<std::wstring> found;
    for (const std::wstring& progId : sim::AddinHost::RegisteredAddins()) {
        if (progId.starts_with(L"Test."))
            found.push_back(progId);
    }
    for (const Entry& entry : entries)
        RegDeleteKeyW(entry.root, (std::wstring(kAddinsKey) + L"\\" + entry.progId).c_str());
    EXPECT_EQ(found,
              (std::vector<std::wstring>{L"Test.Both", L"Test.UserOnly", L"Test.MachineOnly"}));
}

// HKEY_CLASSES_ROOT replaced by an empty throw-away key for the object's
// lifetime: what is registered there is only what the test registers.
class EmptyClassesRoot {
public:
    EmptyClassesRoot() {
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  m_root.put(), nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, m_root.get()), ERROR_SUCCESS);
    }
    ~EmptyClassesRoot() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        m_root.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
        RegDeleteKeyW(HKEY_CURRENT_USER, kPath);
    }
    EmptyClassesRoot(const EmptyClassesRoot&) = delete;
    EmptyClassesRoot& operator=(const EmptyClassesRoot&) = delete;

private:
    static constexpr wchar_t kPath[] = L"Software\\SpamwardenTests\\Classes";
    unique_hkey m_root;
};

// The stand-in of the Office library of `version` ("2.8"), as a Windows path.
std::wstring OfficeTypeLibrary(const wchar_t* version) {
    const std::string unix = SW_OFFICE_TLB_DIR;
    std::wstring path =
        L"Z:" + std::wstring(unix.begin(), unix.end()) + L"/office-" + version + L".tlb";
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

// Every Office registers its library, which defines IRibbonExtensibility, as
// 2.x and never as 1.0. The add-in's IRibbonExtensibility answers the host's
// IDispatch calls from the newest 2.x registered, from 1.0 only when no 2.x
// is, and fails with the reason when none is. Each case loads the DLL
// afresh: the DLL keeps the type information it found until it unloads.
TEST(Registration, TheRibbonInterfaceDispatchesThroughTheOfficeLibraryAsOfficesRegisterIt) {
    struct Case {
        std::vector<const wchar_t*> registered;
        HRESULT result;
        WORD major;
        WORD minor; // of the library the type information comes from
    };
    const Case cases[] = {
        {{L"2.4"}, S_OK, 2, 4},         // Office 2007
        {{L"2.5"}, S_OK, 2, 5},         // Office 2010
        {{L"2.8"}, S_OK, 2, 8},         // Office 2016 and later
        {{L"2.4", L"2.8"}, S_OK, 2, 8}, // the newest 2.x
        {{L"1.0", L"2.5"}, S_OK, 2, 5}, // 2.x before 1.0
        {{L"1.0"}, S_OK, 1, 0},         // no 2.x: 1.0
        {{}, TYPE_E_LIBNOTREGISTERED, 0, 0},
    };
    for (const Case& c : cases) {
        std::wstring label;
        for (const wchar_t* version : c.registered)
            label += std::wstring(version) + L" ";
        SCOPED_TRACE("registered: " + std::string(label.begin(), label.end()));
        EmptyClassesRoot classes;
        for (const wchar_t* version : c.registered) {
            com_ptr<ITypeLib> library;
            ASSERT_EQ(
                LoadTypeLibEx(OfficeTypeLibrary(version).c_str(), REGKIND_REGISTER, library.put()),
                S_OK);
        }
        HMODULE dll = LoadLibraryW(AddinDllPath().c_str());
        ASSERT_NE(dll, nullptr);
        {
            com_ptr<IRibbonExtensibility> ribbon;
            ASSERT_EQ(
                CreateFromDll(dll)->QueryInterface(IID_IRibbonExtensibility, ribbon.put_void()),
                S_OK);
            com_ptr<ITypeInfo> info;
            EXPECT_EQ(ribbon->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()), c.result);
            if (info) {
                TYPEATTR* type = nullptr;
                ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
                EXPECT_EQ(type->guid, IID_IRibbonExtensibility);
                info->ReleaseTypeAttr(type);
                com_ptr<ITypeLib> library;
                UINT index = 0;
                ASSERT_EQ(info->GetContainingTypeLib(library.put(), &index), S_OK);
                TLIBATTR* attributes = nullptr;
                ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
                EXPECT_EQ(attributes->wMajorVerNum, c.major);
                EXPECT_EQ(attributes->wMinorVerNum, c.minor);
                library->ReleaseTLibAttr(attributes);
            }

            DISPID id = DISPID_UNKNOWN;
            LPOLESTR names[] = {const_cast<LPOLESTR>(L"GetCustomUI")};
            EXPECT_EQ(ribbon->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id),
                      c.result);
            if (c.result == S_OK) {
                EXPECT_EQ(id, 1);
                // The host asks for the explorer's ribbon document by DISPID.
                unique_variant ribbonId = unique_variant::FromText(L"Microsoft.Outlook.Explorer");
                DISPPARAMS params = {&ribbonId.get(), nullptr, 1, 0};
                unique_variant xml;
                EXPECT_EQ(ribbon->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                         &params, xml.put(), nullptr, nullptr),
                          S_OK);
                ASSERT_EQ(xml.type(), VT_BSTR);
                EXPECT_NE(std::wstring(xml.get().bstrVal).find(L"<customUI"), std::wstring::npos);
            }
        }
        FreeLibrary(dll);
        ASSERT_EQ(GetModuleHandleW(AddinDllPath().c_str()), nullptr) << "the DLL stays loaded";
    }
}

class LoadedByOutlook : public AddinTest {};

TEST_F(LoadedByOutlook, Version14GetsTheRibbonAndItsButtonsWork) {
    CreateProfile(14);
    auto& box = m_outlook.mailbox();
    sim::Item& spam = box.AddMail(box.Inbox(), L"offers@spam.example", {L"me@corp.example"});
    box.Select({&spam});
    const auto start = m_outlook.References();
    {
        sim::AddinHost outlook(m_outlook);
        ASSERT_EQ(outlook.Start(), 1u);
        const sim::LoadedAddin& addin = outlook.addins()[0];
        EXPECT_EQ(addin.progId, L"Spamwarden.Connect");
        EXPECT_EQ(addin.connectResult, S_OK);
        EXPECT_EQ(addin.startupResult, S_OK);
        EXPECT_EQ(addin.ribbonResult, S_OK);
        EXPECT_EQ(addin.callbacks.size(), 9u);
        EXPECT_THAT(addin.unresolved, IsEmpty());

        EXPECT_EQ(outlook.Fire(L"Spamwarden.Connect", L"BlockDomain"), S_OK);
        EXPECT_TRUE(box.JunkEmail().contains(spam));
        unique_variant image;
        EXPECT_EQ(outlook.Fire(L"Spamwarden.Connect", L"BlockSenders", L"getImage", image.put()),
                  S_OK);
        EXPECT_EQ(image.type(), VT_DISPATCH);
        outlook.Shutdown();
    }
    // Every host reference is back while the DLL is still loaded: nothing is
    // left for the module's unloading to release.
    EXPECT_EQ(m_outlook.References(), start) << sim::DescribeRefCounts(m_outlook.References());
    CoFreeUnusedLibrariesEx(0, 0);
    // The DLL's own state is not this executable's: read the list by path.
    g_host.profileName = kProfile;
    g_host.capabilities = HostCapabilities(14);
    EXPECT_EQ(RegistrySandbox::GetText(ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey),
                                       L"001f041a"),
              L"@spam.example;");
}

TEST_F(LoadedByOutlook, OlderHostsAreNotAskedForARibbon) {
    CreateProfile(12);
    m_outlook.SetVersion(L"12.0.0.6423");
    sim::AddinHost outlook(m_outlook);
    ASSERT_EQ(outlook.Start(), 1u);
    EXPECT_EQ(outlook.addins()[0].startupResult, S_OK);
    EXPECT_EQ(outlook.addins()[0].ribbonResult, S_FALSE);
    outlook.Shutdown();
    CoFreeUnusedLibrariesEx(0, 0);
}

} // namespace
} // namespace sw::test
