// Every host call an entry point makes, failed in turn: the entry point must
// return normally, show at most one message, leave no command marked as
// running, and never lose a stored entry; what it appended before the
// failure reaches the stored list at disconnection at the latest, and no
// message is moved twice. A call that a run repeats once per message (the
// fifth message's Move is made as the second's) fails at its first two
// occurrences and its last. The blocking commands also run with members
// failing on every message (EntryID, Parent, both). The selection spans
// several stores, and so does new mail, so that every store call is failed
// too.
#include "tests/addin/addin_fixture.h"

#include "commands/command_guard.h"
#include "commands/message_restorer.h"
#include "sim/outlook/fault_plan.h"
#include "store/history.h"
#include "store/list_text.h"
#include "tests/harness/scratch_files.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

namespace sw::test {
namespace {

constexpr wchar_t kOriginal[] = L"keep@one.example;@two.example;";

std::set<std::wstring> Entries(const std::wstring& list) {
    std::set<std::wstring> entries;
    CListTokenizer tokens(list, L";");
    for (std::wstring entry; tokens.NextToken(entry);)
        entries.insert(entry);
    return entries;
}

// How often Move has been called on each message of the mailbox.
std::map<const sim::Item*, unsigned> MoveCalls(const sim::Mailbox& box) {
    std::map<const sim::Item*, unsigned> calls;
    for (const auto& folder : box.folders()) {
        for (const sim::Item* item : folder->items())
            calls[item] = item->moveCalls;
    }
    return calls;
}

enum class FaultKind { Fail, NoObject };
struct FaultMode {
    FaultKind kind;
    HRESULT hr;
    const char* name;
};
constexpr FaultMode kModes[] = {{FaultKind::Fail, E_FAIL, "E_FAIL"},
                                {FaultKind::NoObject, E_POINTER, "no object"},
                                {FaultKind::Fail, DISP_E_EXCEPTION, "DISP_E_EXCEPTION"},
                                {FaultKind::Fail, RPC_E_DISCONNECTED, "RPC_E_DISCONNECTED"}};

sim::Fault FaultFor(const sim::CallLog& log, size_t index, const FaultMode& mode) {
    if (mode.kind == FaultKind::Fail)
        return sim::Fault::FailRecorded(log, index, mode.hr);
    const sim::CallRecord& record = log.records()[index];
    sim::Fault fault = record.isQuery() ? sim::Fault::FailQuery(record.iid, E_NOINTERFACE)
                                        : sim::Fault::ReturnNullObject(record.member);
    fault.On(record.object).OnCall(log.Occurrence(index));
    return fault;
}

// One host process: a profile with a stored list, a mailbox with a mixed
// selection, and a connected, started add-in.
class Scenario {
public:
    explicit Scenario(const wchar_t* version) : m_outlook(version) {
        ResetAddinState();
        const int major = _wtoi(version);
        g_host.capabilities =
            HostCapabilities(major); // for the path helpers below; the add-in sets its own
        const std::wstring root = ProfilesRootPath(g_host.capabilities);
        g_host.capabilities = HostCapabilities(0);
        const std::wstring profile = root + L"\\Sweep";
        RegistrySandbox::SetText(root, L"DefaultProfile", L"Sweep");
        RegistrySandbox::SetDword(L"Software\\Spamwarden Simulation\\MAPI", L"OutlookVersion",
                                  static_cast<DWORD>(major));
        m_listKey = profile + L"\\" + kProfileListSubkey;
        RegistrySandbox::SetText(m_listKey, L"001f041a", kOriginal, REG_BINARY);
        RegistrySandbox::SetText(m_listKey, L"001f0418", L"friend@ok.example;", REG_BINARY);

        auto& box = m_outlook.mailbox();
        std::vector<sim::Item*> selection = {
            &box.AddMail(box.Inbox(), L"ann@spam.example", {L"me@corp.example", L"x@y.example"}),
            &box.AddMail(box.Inbox(), L"self@loop.example", {L"SELF@loop.example"}),
            &box.AddItem(box.Inbox(), sim::ItemKind::Report, L"report"),
            &box.AddMail(box.Inbox(), L"friend@ok.example", {L"me@corp.example"}),
            &box.AddMail(box.Inbox(), L"bob@gmail.com", {L"me@corp.example", L"x@y.example"}),
            &box.AddMail(box.Inbox(), L"cid@other.example", {L"me@corp.example"}),
            // Exchange senders: by the message's property, by the directory,
            // and one writing to itself through an Exchange recipient.
            &box.AddExchangeMail(box.Inbox(), L"/O=SWEEP/CN=DEE", L"dee@spam.example", true,
                                 {L"me@corp.example", L"x@y.example"}),
            &box.AddExchangeMail(box.Inbox(), L"/O=SWEEP/CN=EVE", L"eve@evil.example", false,
                                 {L"me@corp.example", L"x@y.example"}),
            &box.AddExchangeMail(box.Inbox(), L"/O=SWEEP/CN=FAY", L"fay@corp.example", true,
                                 {L"placeholder"})};
        selection.back()->recipients[0] = {L"Fay", L"/O=SWEEP/CN=FAY", L"EX", L"fay@corp.example"};
        // Messages of other stores (asked for from Outlook 2007 on): one of
        // an Outlook.com account with its own Junk E-mail, one of a public
        // folder and one of another user's mailbox without Junk E-mail,
        // which both stay.
        const auto otherStore = [&](sim::StoreType type, bool junk, const wchar_t* sender) {
            sim::Store& store = box.AddStore(L"other", type, junk);
            sim::Folder& folder = type == sim::StoreType::PublicFolders
                                      ? box.AddFolder(store, L"Sales")
                                      : *store.DefaultFolder(sim::default_folder::Inbox);
            selection.push_back(&box.AddMail(folder, sender, {L"me@corp.example"}));
        };
        otherStore(sim::StoreType::NotExchange, true, L"hal@spam.example");
        otherStore(sim::StoreType::PublicFolders, false, L"ivy@spam.example");
        otherStore(sim::StoreType::DelegateMailbox, false, L"jon@spam.example");
        // A collapsed conversation (asked for from Outlook 2010 on) holding a
        // selected message and one of its own.
        sim::Item& gus = box.AddMail(box.Inbox(), L"gus@spam.example", {L"me@corp.example"});
        box.SelectWithConversations(selection, {{selection[0], &gus}});
        // Earlier messages, not selected, that follow the blocked senders to
        // Junk E-mail: one by its address, one by its domain, one not mail.
        RegistrySandbox::SetDword(L"Software\\Tallpine\\Spamwarden", L"MoveEarlier", 1);
        box.AddMail(box.Inbox(), L"ann@spam.example", {L"me@corp.example"});
        box.AddMail(box.Inbox(), L"zed@spam.example", {L"me@corp.example"});
        box.AddItem(box.Inbox(), sim::ItemKind::MeetingRequest, L"invite").senderAddress =
            L"ann@spam.example";
        m_start = m_outlook.References();
        m_previousHistory = SetHistoryFolder(m_historyFolder);

        EXPECT_EQ(CreateAddInObject(nullptr, IID__IDTExtensibility2, m_connect.put_void()), S_OK);
        m_connect->OnConnection(m_outlook.Application().get(), ext_cm_Startup, nullptr, nullptr);
    }

    ~Scenario() {
        m_connect = nullptr;
        g_host.hostApp = nullptr; // what unloading the module does
        // A host that failed a connection call may keep a sink the add-in
        // could not take back; the sink must outlive the add-in harmlessly
        // until the host lets go of it when it ends.
        if (m_hostKeepsSinks)
            m_outlook.Restart();
        EXPECT_EQ(m_outlook.References(), m_start) << DescribeRefCounts(m_outlook.References());
        ResetAddinState();
        SetHistoryFolder(m_previousHistory);
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_historyFolder), ignored);
    }

    HRESULT Call(const wchar_t* name) {
        com_ptr<IDispatch> dispatch;
        m_connect.query(IID_IDispatch, dispatch);
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        if (FAILED(hr))
            return hr;
        VARIANTARG control;
        VariantInit(&control);
        control.vt = VT_DISPATCH;
        DISPPARAMS params = {&control, nullptr, 1, 0};
        return dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                nullptr);
    }

    std::wstring Stored() const {
        return RegistrySandbox::GetText(m_listKey, L"001f041a").value_or(L"");
    }
    void Restore() const {
        RegistrySandbox::SetText(m_listKey, L"001f041a", kOriginal, REG_BINARY);
    }

    sim::OutlookSession m_outlook;
    com_ptr<_IDTExtensibility2> m_connect;
    sim::RefCounts m_start;
    std::wstring m_listKey;
    bool m_hostKeepsSinks = false;
    std::wstring m_historyFolder = ScratchPath(L"sweep-history");
    std::wstring m_previousHistory;
    // The EntryIDs of the new mail the "new mail" entry point delivers.
    std::wstring m_newMail;
    // What "Unblock and Restore" is asked to move back.
    std::vector<HistoryAction> m_restore;
};

struct EntryPoint {
    const char* name;
    std::function<void(Scenario&)> prepare; // runs before the recorded part
    std::function<HRESULT(Scenario&)> run;
    std::vector<HRESULT> results; // what the entry point may return
    bool silent = false;          // shows no message whatever fails
};

void Started(Scenario& s) {
    s.m_connect->OnStartupComplete(nullptr);
}

// Clicks the add-in's toolbar button or context-menu entry with that text.
HRESULT Click(Scenario& s, sim::CommandBar* bar, const std::wstring& text) {
    for (size_t i = 0; bar && i < bar->controls().size(); ++i) {
        sim::CommandBarControl& control = bar->controls()[i];
        if (control.tag == text || control.caption == text) {
            s.m_outlook.ClickControl(control);
            return S_OK;
        }
        if (control.type() == 10) {
            for (size_t j = 0; j < control.controls().size(); ++j) {
                if (control.controls()[j].caption == text) {
                    s.m_outlook.ClickControl(control.controls()[j]);
                    return S_OK;
                }
            }
        }
    }
    return E_FAIL;
}

std::vector<EntryPoint> RibbonEntryPoints() {
    return {
        {"OnBlockSenders", Started, [](Scenario& s) { return s.Call(L"OnBlockSenders"); }, {S_OK}},
        {"OnBlockDomains", Started, [](Scenario& s) { return s.Call(L"OnBlockDomains"); }, {S_OK}},
        {"OnBlockSingleDomain",
         Started,
         [](Scenario& s) { return s.Call(L"OnBlockSingleDomain"); },
         {S_OK}},
    };
}

std::vector<EntryPoint> LegacyEntryPoints(int major) {
    auto toolbar = [](Scenario& s) { return s.m_outlook.commandBars().Find(L"Spamwarden"); };
    auto menu = [](Scenario& s) {
        s.m_connect->OnStartupComplete(nullptr);
        s.m_outlook.ShowContextMenu();
    };
    std::vector<EntryPoint> entries = {
        {"toolbar Block Senders",
         Started,
         [=](Scenario& s) { return Click(s, toolbar(s), L"BlockSenders"); },
         {S_OK}},
        {"toolbar Block Domains",
         Started,
         [=](Scenario& s) { return Click(s, toolbar(s), L"BlockDomains"); },
         {S_OK}},
        {"context menu display",
         Started,
         [](Scenario& s) {
             s.m_outlook.ShowContextMenu();
             return S_OK;
         },
         {S_OK},
         true},
    };
    // Several selected messages get their context items from version 12 on.
    if (major == 12)
        entries.push_back({"context Block Senders",
                           menu,
                           [](Scenario& s) {
                               return Click(s, s.m_outlook.commandBars().contextMenu(),
                                            L"Add Senders to Blocked Sender List");
                           },
                           {S_OK}});
    return entries;
}

// New mail in the Outlook.com account from a sender Block Senders blocks,
// found through the profile's stores from Outlook 2007 on: its id and a comma.
std::wstring OtherStoreMail(sim::Mailbox& box) {
    sim::Folder& inbox = *box.stores()[1]->DefaultFolder(sim::default_folder::Inbox);
    return box.AddMail(inbox, L"ann@spam.example", {L"me@corp.example"}).entryId + L",";
}

std::vector<EntryPoint> EntryPoints(int major) {
    std::vector<EntryPoint> entries = major < 14 ? LegacyEntryPoints(major) : RibbonEntryPoints();
    // "Unblock and Restore" after OK on the History page, for the messages
    // a Block Senders moved to Junk E-mail: the run as it was noted, with
    // messages of two stores, each looked up in its own.
    entries.push_back({"restore messages",
                       [](Scenario& s) {
                           s.m_connect->OnStartupComplete(nullptr);
                           s.Call(L"OnBlockSenders");
                           s.m_restore = LoadHistory();
                           EXPECT_EQ(s.m_restore.size(), 1u);
                       },
                       [](Scenario& s) {
                           const RestoreReport report = HostMessageRestorer().Restore(s.m_restore);
                           EXPECT_EQ(report.Total(), s.m_restore[0].messages.size());
                           return S_OK;
                       },
                       {S_OK},
                       true});
    // New mail from a sender the Block Senders just blocked, among mail that
    // stays: the NewMailEx event as Outlook 2003 raised it, with several ids.
    entries.push_back({"new mail",
                       [](Scenario& s) {
                           s.m_connect->OnStartupComplete(nullptr);
                           s.Call(L"OnBlockSenders");
                           sim::Mailbox& box = s.m_outlook.mailbox();
                           for (const wchar_t* sender :
                                {L"ann@spam.example", L"friend@ok.example", L"cid@other.example"})
                               s.m_newMail +=
                                   box.AddMail(box.Inbox(), sender, {L"me@corp.example"}).entryId +
                                   L",";
                           s.m_newMail += OtherStoreMail(box) + L"00BADBAD";
                       },
                       [](Scenario& s) {
                           s.m_outlook.FireNewMailEx(s.m_newMail);
                           return S_OK;
                       },
                       {S_OK},
                       true});
    entries.push_back({"OnStartupComplete",
                       [](Scenario&) {},
                       [](Scenario& s) { return s.m_connect->OnStartupComplete(nullptr); },
                       {S_OK, E_POINTER}});
    // Outlook started without a window: start-up, and the first window
    // opening later (where the toolbar waits for it).
    const auto windowless = [](Scenario& s) { s.m_outlook.mailbox().SetExplorerOpen(false); };
    entries.push_back({"OnStartupComplete without a window",
                       windowless,
                       [](Scenario& s) {
                           // E_POINTER is its answer without a window, as ever.
                           const HRESULT hr = s.m_connect->OnStartupComplete(nullptr);
                           return hr == E_POINTER ? S_OK : hr;
                       },
                       {S_OK}});
    entries.push_back({"the first window opens",
                       [=](Scenario& s) {
                           windowless(s);
                           s.m_connect->OnStartupComplete(nullptr);
                       },
                       [](Scenario& s) {
                           s.m_outlook.OpenExplorer();
                           return S_OK;
                       },
                       {S_OK}});
    entries.push_back(
        {"OnDisconnection",
         [](Scenario& s) {
             s.m_connect->OnStartupComplete(nullptr);
             s.Call(L"OnBlockSenders");
             s.Restore(); // the user removed the additions meanwhile
         },
         [](Scenario& s) { return s.m_connect->OnDisconnection(ext_dm_HostShutdown, nullptr); },
         {S_OK}});
    return entries;
}

void Sweep(const wchar_t* version) {
    for (const EntryPoint& entry : EntryPoints(_wtoi(version))) {
        sim::CallLog log;
        {
            RegistrySandbox sandbox;
            MessageRecorder messages;
            Scenario clean(version);
            entry.prepare(clean);
            clean.m_outlook.calls().Clear();
            EXPECT_EQ(entry.run(clean), S_OK) << entry.name;
            log = clean.m_outlook.calls();
            // The blocking commands reach the earlier messages too, so their
            // host calls are swept as well.
            if (std::string(entry.name).find("Block") != std::string::npos) {
                EXPECT_TRUE(
                    std::any_of(log.records().begin(), log.records().end(),
                                [](const sim::CallRecord& r) { return r.member == L"Restrict"; }))
                    << entry.name;
            }
            if (std::string(entry.name) == "new mail") {
                EXPECT_EQ(
                    std::count_if(log.records().begin(), log.records().end(),
                                  [](const sim::CallRecord& r) { return r.member == L"Move"; }),
                    _wtoi(version) < 12 ? 2 : 3)
                    << "the new mail from both blocked senders moves, in every store listed";
            }
            clean.m_connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
        }
        // (Disconnecting a ribbon host makes no host call at all.)
        std::map<std::wstring, unsigned> occurrences;
        for (const sim::CallRecord& record : log.records())
            ++occurrences[record.text()];
        // One run of the entry point with `faults` in force, and its checks.
        const auto runWith = [&](const std::vector<sim::Fault>& faults, bool hostKeepsSinks) {
            RegistrySandbox sandbox;
            MessageRecorder messages;
            Scenario run(version);
            entry.prepare(run);
            messages.clear();
            for (const sim::Fault& fault : faults)
                run.m_outlook.faults().Add(fault);
            run.m_hostKeepsSinks = hostKeepsSinks;
            const std::map<const sim::Item*, unsigned> movesBefore =
                MoveCalls(run.m_outlook.mailbox());
            const HRESULT hr = entry.run(run);

            // No message is moved twice, however it was reached.
            for (const auto& [item, moves] : MoveCalls(run.m_outlook.mailbox()))
                EXPECT_LE(moves - movesBefore.at(item), 1u)
                    << std::string(item->senderAddress.begin(), item->senderAddress.end());

            EXPECT_THAT(entry.results, ::testing::Contains(hr));
            EXPECT_LE(messages.messages().size(), entry.silent ? 0u : 1u);
            EXPECT_FALSE(g_host.commandRunning);
            const auto original = Entries(kOriginal);
            auto stored = Entries(run.Stored());
            EXPECT_TRUE(
                std::includes(stored.begin(), stored.end(), original.begin(), original.end()));

            // Whatever was appended reaches the list at disconnection.
            run.m_outlook.faults().Clear();
            run.m_connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
            stored = Entries(run.Stored());
            for (const std::wstring& added : g_host.blockedSinceLoad)
                EXPECT_TRUE(stored.count(added)) << std::string(added.begin(), added.end());
            EXPECT_TRUE(
                std::includes(stored.begin(), stored.end(), original.begin(), original.end()));
        };
        for (size_t i = 0; i < log.size(); ++i) {
            const unsigned occurrence = log.Occurrence(i);
            if (occurrence > 2 && occurrence != occurrences[log.records()[i].text()])
                continue;
            for (const FaultMode& mode : kModes) {
                const std::wstring call = log.records()[i].text();
                SCOPED_TRACE(::testing::Message() << entry.name << " with " << mode.name << " on "
                                                  << std::string(call.begin(), call.end()));
                const sim::CallRecord& record = log.records()[i];
                if (getenv("SW_SWEEP_TRACE"))
                    fprintf(stderr, "%s %ls %s\n", entry.name, call.c_str(), mode.name);
                runWith({FaultFor(log, i, mode)}, record.member == L"Advise" ||
                                                      record.member == L"Unadvise" ||
                                                      record.member == L"FindConnectionPoint" ||
                                                      record.iid == IID_IConnectionPointContainer);
            }
        }
        // Messages whose EntryID cannot be read at all, nor where they are:
        // nothing then tells a selected message from its copy in a selected
        // conversation, and it must still be moved once.
        if (std::string(entry.name).find("Block") != std::string::npos) {
            const sim::Fault noId = sim::Fault::Fail(L"EntryID", E_FAIL).On(L"MailItem");
            const sim::Fault noParent = sim::Fault::Fail(L"Parent", E_FAIL).On(L"MailItem");
            for (const std::vector<sim::Fault>& faults :
                 {std::vector<sim::Fault>{noId}, {noParent}, {noId, noParent}}) {
                SCOPED_TRACE(::testing::Message() << entry.name << " with " << faults.size()
                                                  << " members failing on every message");
                runWith(faults, false);
            }
        }
    }
}

class FaultSweep : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(FaultSweep, EveryHostCallFailingInTurn) {
    RegisterAddinTypeLibrary();
    Sweep(GetParam());
}

INSTANTIATE_TEST_SUITE_P(HostVersions, FaultSweep,
                         ::testing::Values(L"11.0.0.8312", L"12.0.0.6423", L"14.0.0.7266",
                                           L"16.0.0.4266"));

} // namespace
} // namespace sw::test
