// The Connect object as the host drives it: interface queries, the
// connection calls, the ribbon document and the IConnect callbacks by name.
#include "tests/addin/addin_fixture.h"
#include "addin/host_state.h"

#include "commands/block_commands.h"
#include "commands/command_guard.h"
#include "manager/resource.h"
#include "outlook/host_error.h"
#include "platform/automation.h"
#include "platform/module_lock.h"
#include "sim/outlook/command_bar_model.h"
#include "sim/outlook/fault_plan.h"
#include "sim/outlook/outlook_ids.h"
#include "store/history.h"
#include "support/shell_open.h"
#include "tests/harness/scratch_files.h"
#include "tests/manager/sheet_driver.h"
#include "tests/store/paused_compaction.h"

#include <gmock/gmock.h>

#include <olectl.h>

#include <filesystem>
#include <functional>

namespace sw::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Runs work on the thread that made it, whichever thread asks: a modal
// loop running there (the Options sheet's) delivers it.
class ThisThreadCall {
public:
    ThisThreadCall() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SpamwardenTestThreadCall";
        RegisterClassW(&windowClass); // fails harmlessly when registered before
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, windowClass.hInstance, nullptr);
    }
    ~ThisThreadCall() { DestroyWindow(m_window); }
    ThisThreadCall(const ThisThreadCall&) = delete;
    ThisThreadCall& operator=(const ThisThreadCall&) = delete;

    void Run(const std::function<void()>& work) const {
        SendMessageW(m_window, WM_APP, 0, reinterpret_cast<LPARAM>(&work));
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_APP)
            return DefWindowProcW(window, message, wParam, lParam);
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }

    HWND m_window = nullptr;
};

std::vector<std::wstring> g_shellCalls;
void RecordShell(const std::wstring& target) {
    g_shellCalls.push_back(target);
}

class ConnectTest : public AddinTest {
protected:
    ConnectTest() : m_previousShell(SetShellOpener(&RecordShell)) { g_shellCalls.clear(); }
    ~ConnectTest() override { SetShellOpener(m_previousShell); }

    // Calls an IConnect method by name through the object's IDispatch.
    HRESULT CallByName(IUnknown* object, const wchar_t* name, VARIANT* result = nullptr) {
        com_ptr<IDispatch> dispatch;
        EXPECT_EQ(object->QueryInterface(IID_IDispatch, dispatch.put_void()), S_OK);
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr))
            return hr;
        VARIANTARG control;
        VariantInit(&control);
        control.vt = VT_DISPATCH; // the ribbon control: no method reads it
        DISPPARAMS params = {&control, nullptr, 1, 0};
        unique_variant value;
        hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                              value.put(), nullptr, nullptr);
        if (result)
            value.release_to(result);
        return hr;
    }

    sim::Item& Mail(const wchar_t* sender) {
        auto& box = m_outlook.mailbox();
        return box.AddMail(box.Inbox(), sender, {L"me@corp.example", L"you@corp.example"});
    }

    ShellOpener m_previousShell;
};

TEST_F(ConnectTest, AnswersExactlyItsInterfaces) {
    com_ptr<IUnknown> object;
    ASSERT_EQ(CreateAddInObject(nullptr, IID_IUnknown, object.put_void()), S_OK);
    for (const IID* iid : {&IID_IConnect, &IID_IDispatch, &IID_ISupportErrorInfo,
                           &IID__IDTExtensibility2, &IID_IRibbonExtensibility}) {
        com_ptr<IUnknown> answer;
        EXPECT_EQ(object->QueryInterface(*iid, answer.put_void()), S_OK);
        com_ptr<IUnknown> identity;
        answer->QueryInterface(IID_IUnknown, identity.put_void());
        EXPECT_EQ(identity.get(), object.get()) << "one identity";
    }
    com_ptr<IUnknown> none;
    EXPECT_EQ(object->QueryInterface(IID_IConnectionPointContainer, none.put_void()),
              E_NOINTERFACE);
    EXPECT_EQ(none.get(), nullptr);

    com_ptr<IDispatch> viaDispatch;
    object->QueryInterface(IID_IDispatch, viaDispatch.put_void());
    com_ptr<IConnect> viaConnect;
    object->QueryInterface(IID_IConnect, viaConnect.put_void());
    EXPECT_EQ(static_cast<IDispatch*>(viaConnect.get()), viaDispatch.get())
        << "IDispatch is IConnect's";

    com_ptr<ISupportErrorInfo> errors;
    object->QueryInterface(IID_ISupportErrorInfo, errors.put_void());
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IConnect), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID__IDTExtensibility2), S_FALSE);
}

// A controlling unknown that only counts.
class Outer final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    ULONG refs = 1;
};

TEST_F(ConnectTest, CanBeAggregatedAndHoldsTheModuleWhileAlive) {
    const long locks = ModuleLockCount();
    Outer outer;
    IUnknown* inner = nullptr;
    void* out = nullptr;
    EXPECT_EQ(CreateAddInObject(&outer, IID_IConnect, &out), CLASS_E_NOAGGREGATION);
    ASSERT_EQ(CreateAddInObject(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    EXPECT_GT(ModuleLockCount(), locks); // its own, and its legacy sinks' while they live

    IConnect* connect = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IConnect, reinterpret_cast<void**>(&connect)), S_OK);
    EXPECT_EQ(outer.refs, 2u) << "interfaces delegate to the controlling unknown";
    connect->Release();
    EXPECT_EQ(outer.refs, 1u);
    inner->Release();
    EXPECT_EQ(ModuleLockCount(), locks);
}

TEST_F(ConnectTest, ConnectionResultsFollowTheApplication) {
    auto connect = NewConnect();
    EXPECT_EQ(connect->OnConnection(nullptr, ext_cm_Startup, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(connect->OnStartupComplete(nullptr), E_POINTER);
    EXPECT_EQ(g_host.capabilities.version, 0);

    m_outlook.faults().Add(sim::Fault::FailQuery(sim::kIidApplication));
    EXPECT_EQ(
        connect->OnConnection(m_outlook.Application().get(), ext_cm_Startup, nullptr, nullptr),
        S_OK);
    EXPECT_FALSE(g_host.hostApp);
    EXPECT_EQ(connect->OnStartupComplete(nullptr), E_POINTER);

    m_outlook.faults().Clear();
    m_outlook.faults().Add(sim::Fault::FailQuery(sim::kIidApplication, E_ACCESSDENIED));
    EXPECT_EQ(
        connect->OnConnection(m_outlook.Application().get(), ext_cm_Startup, nullptr, nullptr),
        E_ACCESSDENIED);

    EXPECT_EQ(connect->OnAddInsUpdate(nullptr), E_NOTIMPL);
    EXPECT_EQ(connect->OnBeginShutdown(nullptr), E_NOTIMPL);
}

// Outlook started by another program, without a window, which the user
// opens later in the same process: everything but the toolbar is ready at
// start-up, and the toolbar comes with the first window, once.
TEST_F(ConnectTest, StartupWithoutAnExplorerLeavesOnlyTheToolbarForTheFirstOne) {
    for (const wchar_t* version : {L"11.0.0.8312", L"12.0.0.6423", L"16.0.0.4266"}) {
        SCOPED_TRACE(version);
        const bool toolbar = _wtoi(version) < 14;
        ResetAddinState();
        m_outlook.Restart();
        CreateProfile(_wtoi(version));
        m_outlook.SetVersion(version);
        auto& box = m_outlook.mailbox();
        box.SetExplorerOpen(false);
        auto connect = NewConnect();
        connect->OnConnection(m_outlook.Application().get(), ext_cm_Startup, nullptr, nullptr);
        EXPECT_EQ(connect->OnStartupComplete(nullptr), E_POINTER) << "answered as before";
        EXPECT_EQ(g_host.capabilities.version, _wtoi(version));
        EXPECT_EQ(g_host.profileName, kProfile);
        EXPECT_TRUE(WriteSettingDword(kSettingsSection, kSynListsValue, 1)) << "root set";
        const auto buttons = [&] {
            const sim::CommandBar* bar = m_outlook.commandBars().Find(L"Spamwarden");
            return bar ? bar->controls().size() : 0u;
        };
        EXPECT_EQ(buttons(), 0u);

        EXPECT_EQ(m_outlook.OpenExplorer(), toolbar ? 2u : 0u);
        EXPECT_EQ(m_outlook.OpenExplorer(), 0u) << "a second window: the watch has ended";
        EXPECT_EQ(buttons(), toolbar ? 5u : 0u) << "built once, on the first window";

        sim::Item& ann = Mail(L"ann@spam.example");
        box.ShowFolder(box.Inbox());
        box.Select({&ann});
        if (toolbar) {
            sim::CommandBar* bar = m_outlook.commandBars().Find(L"Spamwarden");
            ASSERT_NE(bar, nullptr);
            for (size_t i = 0; i < bar->controls().size(); ++i) {
                if (bar->controls()[i].tag == L"BlockSenders") {
                    EXPECT_EQ(m_outlook.ClickControl(bar->controls()[i]).sinksReached, 1u);
                }
            }
        } else {
            EXPECT_EQ(CallByName(connect.get(), L"OnBlockSenders"), S_OK);
        }
        EXPECT_TRUE(box.JunkEmail().contains(ann));
        EXPECT_EQ(RegistrySandbox::GetText(ProfileListKey(), L"001f041a"), L"ann@spam.example;");
        sim::Item& next = Mail(L"ann@spam.example");
        m_outlook.FireNewMailEx(next.entryId);
        EXPECT_TRUE(box.JunkEmail().contains(next)) << "new mail is watched";
        EXPECT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
        RegistrySandbox::SetText(ProfileListKey(), L"001f041a", L"", REG_BINARY);
    }
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ConnectTest, StartupLearnsVersionProfileAccountsAndSettingsRoot) {
    CreateProfile(16);
    const std::wstring accounts = L"Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles\\" +
                                  std::wstring(kProfile) + L"\\" + kAccountsSubkey + L"\\00000002";
    RegistrySandbox::SetText(accounts, L"Email", L"me@corp.example", REG_BINARY);
    const BYTE uid[] = {0x0A, 0xFF};
    RegistrySandbox::SetValue(accounts, L"Preferences UID", REG_BINARY, uid, sizeof uid);

    auto connect = Started(L"16.0.0.4266");
    EXPECT_EQ(g_host.capabilities.version, 16);
    EXPECT_EQ(g_host.profileName, kProfile);
    EXPECT_THAT(g_host.accountKeys, ElementsAre(L"0aff"));
    EXPECT_TRUE(WriteSettingDword(kSettingsSection, kSynListsValue, 1)) << "root set";
    EXPECT_TRUE(RegistrySandbox::KeyExists(L"software\\Tallpine\\Spamwarden"));
}

TEST_F(ConnectTest, ParsesTheLeadingVersionNumber) {
    EXPECT_EQ(ParseHostVersion(L"14.0.0.4760"), 14);
    EXPECT_EQ(ParseHostVersion(L"  12.0.0.6423"), 12);
    EXPECT_EQ(ParseHostVersion(L"+11"), 11);
    EXPECT_EQ(ParseHostVersion(L"-3.1"), -3);
    EXPECT_EQ(ParseHostVersion(L"Outlook 16"), 0);
    EXPECT_EQ(ParseHostVersion(L""), 0);
    EXPECT_EQ(ParseHostVersion(L"99999999999999999999"), 0x7FFFFFFF);
}

TEST_F(ConnectTest, DisconnectionPutsBackLostAdditionsOnlyWhenNeeded) {
    CreateProfile(14);
    auto connect = Started(L"14.0.0.4760");
    auto& box = m_outlook.mailbox();
    box.Select({&Mail(L"ann@example.org")});
    BlockSelectedSenders();
    const std::wstring listKey = ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey);
    EXPECT_EQ(RegistrySandbox::GetText(listKey, L"001f041a"), L"ann@example.org;");

    // The user emptied the list in Outlook meanwhile: the addition comes back.
    RegistrySandbox::SetText(listKey, L"001f041a", L"", REG_BINARY);
    EXPECT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
    EXPECT_EQ(RegistrySandbox::GetText(listKey, L"001f041a"), L"ann@example.org;");

    // With no profile known nothing is read or written, and no message shown.
    g_host.profileName.clear();
    RegistrySandbox::DeleteKey(listKey);
    EXPECT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ConnectTest, RibbonDocumentOnlyForTheExplorer) {
    com_ptr<IRibbonExtensibility> ribbon;
    ASSERT_EQ(CreateAddInObject(nullptr, IID_IRibbonExtensibility, ribbon.put_void()), S_OK);
    unique_bstr explorer(L"microsoft.OUTLOOK.explorer");
    unique_bstr xml;
    ASSERT_EQ(ribbon->GetCustomUI(explorer.get(), xml.put()), S_OK);
    EXPECT_EQ(xml.str().rfind(L"<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/"
                              L"customui\" onLoad=\"OnRibbonLoad\">\n",
                              0),
              0u);

    unique_bstr reading(L"Microsoft.Outlook.Mail.Read");
    BSTR untouched = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(ribbon->GetCustomUI(reading.get(), &untouched), E_POINTER);
    EXPECT_EQ(untouched, reinterpret_cast<BSTR>(0x1));
    EXPECT_EQ(ribbon->GetCustomUI(explorer.get(), nullptr), E_POINTER);
}

TEST_F(ConnectTest, EveryCallbackResolvesByNameAndRuns) {
    CreateProfile(14);
    auto connect = Started(L"14.0.0.4760");
    auto& box = m_outlook.mailbox();
    sim::Item& ann = Mail(L"ann@example.org");
    sim::Item& bob = Mail(L"bob@spam.example");

    box.Select({&ann});
    EXPECT_EQ(CallByName(connect.get(), L"OnBlockSenders"), S_OK);
    EXPECT_TRUE(box.JunkEmail().contains(ann));
    box.ShowFolder(box.Inbox());
    box.Select({&bob});
    EXPECT_EQ(CallByName(connect.get(), L"OnBlockDomains"), S_OK);
    EXPECT_TRUE(box.JunkEmail().contains(bob));
    EXPECT_EQ(RegistrySandbox::GetText(ProfileListKey(), L"001f041a"),
              L"ann@example.org;@spam.example;");

    EXPECT_EQ(CallByName(connect.get(), L"OnRibbonSupport"), S_OK);
    EXPECT_EQ(CallByName(connect.get(), L"OnRibbonHelp"), S_OK); // no help folder: nothing
    ASSERT_EQ(g_shellCalls.size(), 1u);
    EXPECT_EQ(g_shellCalls[0].rfind(L"mailto:", 0), 0u);

    EXPECT_EQ(CallByName(connect.get(), L"OnRibbonLoad"), S_OK);
    unique_variant enabled;
    EXPECT_EQ(CallByName(connect.get(), L"OnRibbonGetEnabled", enabled.put()), S_OK);

    for (const wchar_t* getter : {L"GetBlockSenderImage", L"GetBlockDomainImage"}) {
        unique_variant picture;
        ASSERT_EQ(CallByName(connect.get(), getter, picture.put()), S_OK) << getter;
        ASSERT_EQ(picture.type(), VT_DISPATCH) << getter;
        com_ptr<IPicture> image;
        ASSERT_EQ(picture.get().pdispVal->QueryInterface(IID_IPicture, image.put_void()), S_OK);
        OLE_XSIZE_HIMETRIC width = 0;
        image->get_Width(&width);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(MulDiv(width, GetDeviceCaps(screen, LOGPIXELSX), 2540), 32) << getter;
        ReleaseDC(nullptr, screen);
    }
    EXPECT_EQ(CallByName(connect.get(), L"NoSuchCallback"), DISP_E_UNKNOWNNAME);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ConnectTest, BlockingCallbacksIgnoreClicksWhileACommandRuns) {
    CreateProfile(14);
    auto connect = Started(L"14.0.0.4760");
    auto& box = m_outlook.mailbox();
    sim::Item& ann = Mail(L"ann@example.org");
    box.Select({&ann});

    g_host.commandRunning = true; // another command is showing its message box
    EXPECT_EQ(CallByName(connect.get(), L"OnBlockSenders"), S_OK);
    EXPECT_EQ(CallByName(connect.get(), L"OnBlockDomains"), S_OK);
    EXPECT_FALSE(box.JunkEmail().contains(ann));
    EXPECT_EQ(CallByName(connect.get(), L"OnBlockSingleDomain"), S_OK);
    EXPECT_TRUE(box.JunkEmail().contains(ann)) << "the single-item entry is not guarded";
    EXPECT_TRUE(g_host.commandRunning);

    g_host.commandRunning = false;
    box.ShowFolder(box.Calendar());
    EXPECT_EQ(CallByName(connect.get(), L"OnBlockSenders"), S_OK);
    EXPECT_FALSE(g_host.commandRunning) << "cleared after the command ended";
    EXPECT_THAT(m_messages.texts(), ElementsAre(L"Please select the emails first."));
}

TEST_F(ConnectTest, DisconnectionReleasesTheHostAndASecondConnectionWorks) {
    CreateProfile(14);
    const auto start = m_outlook.References();
    const long locks = ModuleLockCount();
    auto& box = m_outlook.mailbox();
    for (const wchar_t* sender : {L"ann@example.org", L"bob@example.net"}) {
        SCOPED_TRACE(sender);
        {
            auto connect = Started(L"14.0.0.4760");
            box.Select({&Mail(sender)});
            EXPECT_EQ(CallByName(connect.get(), L"OnBlockSenders"), S_OK);
            connect->OnDisconnection(ext_dm_UserClosed, nullptr);
            EXPECT_FALSE(g_host.hostApp) << "released at disconnection, not at unload";
            EXPECT_TRUE(g_host.profileName.empty() && g_host.capabilities.version == 0);
            EXPECT_THAT(g_host.blockedSinceLoad, Contains(std::wstring(sender)))
                << "kept until the module unloads";
        }
        // The module stays loaded (it is this executable): nothing of the
        // host is left for its unloading to release.
        EXPECT_EQ(m_outlook.References(), start) << sim::DescribeRefCounts(m_outlook.References());
        EXPECT_EQ(ModuleLockCount(), locks);
    }
    EXPECT_EQ(RegistrySandbox::GetText(ProfileListKey(), L"001f041a"),
              L"ann@example.org;bob@example.net;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ConnectTest, ABlockMadeWhileTheOptionsSheetIsOpenOutlivesItsOk) {
    CreateProfile(14);
    auto connect = Started(L"14.0.0.4760");
    const std::wstring listKey = ProfileListKey();
    RegistrySandbox::SetText(listKey, L"001f041a", L"keep@a.example;old@b.example;", REG_BINARY);
    m_outlook.mailbox().Select({&Mail(L"new@c.example")});

    const ThisThreadCall onHostThread;
    std::vector<std::wstring> shown;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        const HWND list = GetDlgItem(page, IDC_ENTRIES);
        // Another explorer window's Block Senders, while the sheet holds the
        // list it loaded.
        onHostThread.Run([&] { EXPECT_EQ(CallByName(connect.get(), L"OnBlockSenders"), S_OK); });
        shown = SheetDriver::Rows(list);
        SheetDriver::SelectRows(list, {1});
        SheetDriver::Click(page, IDC_REMOVE);
        sheet.PressOk();
    });
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"keep@a.example", L"old@b.example"}));
    EXPECT_EQ(RegistrySandbox::GetText(listKey, L"001f041a"), L"keep@a.example;new@c.example;")
        << "the block and the removal both hold";
    EXPECT_THAT(g_host.blockedSinceLoad, ElementsAre(L"new@c.example"));

    // Outlook writes its own copy back over the list; closing puts the
    // block back, and not the entry the user removed.
    RegistrySandbox::SetText(listKey, L"001f041a", L"keep@a.example;", REG_BINARY);
    EXPECT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
    EXPECT_EQ(RegistrySandbox::GetText(listKey, L"001f041a"), L"keep@a.example;new@c.example;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

// The history in a folder of the test's own while it lives.
class ScratchHistoryFolder {
public:
    ScratchHistoryFolder() : m_folder(ScratchPath(L"connect-history")) {
        std::filesystem::remove_all(std::filesystem::path(m_folder));
        m_previous = SetHistoryFolder(m_folder);
    }
    ~ScratchHistoryFolder() {
        WaitForHistoryCompaction();
        SetHistoryFolder(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_folder), ignored);
    }
    ScratchHistoryFolder(const ScratchHistoryFolder&) = delete;
    ScratchHistoryFolder& operator=(const ScratchHistoryFolder&) = delete;

private:
    std::wstring m_folder;
    std::wstring m_previous;
};

TEST_F(ConnectTest, DisconnectionWaitsForAHistoryCompactionOnlyBriefly) {
    ScratchHistoryFolder folder;
    PausedCompaction compaction;
    CreateProfile(14);
    auto connect = Started(L"14.0.0.4760");
    HistoryAction run;
    run.command = L"Block Senders";
    run.entries = {L"ann@spam.example"};
    for (size_t i = 0; i < 2 * kHistoryLimit && !compaction.WaitUntilPaused(0); ++i)
        ASSERT_TRUE(RecordHistoryAction(run));
    ASSERT_TRUE(compaction.WaitUntilPaused()) << "a compaction is at work";

    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
    EXPECT_LT(GetTickCount64() - started, 400u)
        << "Outlook disables an add-in whose shutdown takes half a second";
    compaction.Resume();
    WaitForHistoryCompaction();
    EXPECT_EQ(LoadHistory().size(), kHistoryLimit) << "the compaction finished on its own";
}

} // namespace
} // namespace sw::test
