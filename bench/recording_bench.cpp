// What noting a run in the history costs Block Senders on 1,000 selected
// messages: the host calls it adds (each message's folder and its id after
// the move), counted and timed in the simulated Outlook, and the whole
// command with a full history file.
#include "bench/bench_profile.h"
#include "bench/scratch_history.h"
#include "bench/scratch_registry.h"
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "commands/block_commands.h"
#include "sim/outlook/mailbox.h"
#include "sim/outlook/outlook_session.h"
#include "store/history.h"
#include "store/state.h"

#include <windows.h>

#include <memory>

namespace sw::bench {
namespace {

constexpr size_t kMessages = 1000;
constexpr int kRuns = 5;

struct CommandRun {
    double milliseconds = 0;
    size_t calls = 0;        // every host call of the command
    size_t historyCalls = 0; // Parent, EntryID and StoreID: the history's own
};

CommandRun RunOnce() {
    StoreBlockedList(L"");
    g_host.blockedSinceLoad.clear();
    auto outlook = std::make_unique<sim::OutlookSession>(L"16.0.0.4266");
    sim::Mailbox& box = outlook->mailbox();
    std::vector<sim::Item*> selection;
    for (size_t i = 0; i < kMessages; ++i)
        selection.push_back(&box.AddMail(box.Inbox(), L"s" + std::to_wstring(i) + L"@spam.example",
                                         {L"me@corp.example", L"you@corp.example"}));
    box.Select(selection);
    g_host.hostApp = outlook->Application();
    outlook->calls().Clear();
    Stopwatch watch;
    BlockSelectedSenders();
    CommandRun run;
    run.milliseconds = watch.Milliseconds();
    for (const sim::CallRecord& record : outlook->calls().records()) {
        ++run.calls;
        if (record.member == L"Parent" || record.member == L"EntryID" ||
            record.member == L"StoreID")
            ++run.historyCalls;
    }
    g_host.hostApp = nullptr;
    return run;
}

// The same host calls alone: each message's Parent and its EntryID, then its
// EntryID again (the moved message's), as the command makes them.
double TimeHistoryCalls() {
    auto outlook = std::make_unique<sim::OutlookSession>(L"16.0.0.4266");
    sim::Mailbox& box = outlook->mailbox();
    std::vector<sim::Item*> items;
    for (size_t i = 0; i < kMessages; ++i)
        items.push_back(&box.AddMail(box.Inbox(), L"s@spam.example", {L"me@corp.example"}));
    box.Select(items);
    com_ptr<IDispatch> app = outlook->Application();
    Timings timings;
    for (int run = 0; run < kRuns; ++run) {
        DISPPARAMS none = {};
        auto get = [&](IDispatch* object, const wchar_t* name) {
            DISPID id = DISPID_UNKNOWN;
            LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
            object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
            VARIANT result;
            VariantInit(&result);
            object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &result,
                           nullptr, nullptr);
            return result;
        };
        VARIANT explorer = get(app.get(), L"ActiveExplorer");
        VARIANT selection = get(explorer.pdispVal, L"Selection");
        std::vector<com_ptr<IDispatch>> mails;
        for (long i = 1; i <= static_cast<long>(kMessages); ++i) {
            DISPID id = DISPID_UNKNOWN;
            LPOLESTR names[] = {const_cast<LPOLESTR>(L"Item")};
            selection.pdispVal->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
            VARIANT index;
            index.vt = VT_I4;
            index.lVal = i;
            DISPPARAMS params = {&index, nullptr, 1, 0};
            VARIANT item;
            VariantInit(&item);
            selection.pdispVal->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                                       &params, &item, nullptr, nullptr);
            mails.emplace_back(item.pdispVal);
            VariantClear(&item);
        }
        Stopwatch watch;
        for (const com_ptr<IDispatch>& mail : mails) {
            VARIANT parent = get(mail.get(), L"Parent");
            VARIANT folderId = get(parent.pdispVal, L"EntryID");
            VARIANT itemId = get(mail.get(), L"EntryID");
            VariantClear(&parent);
            VariantClear(&folderId);
            VariantClear(&itemId);
        }
        timings.runs.push_back(watch.Milliseconds());
        VariantClear(&selection);
        VariantClear(&explorer);
    }
    return timings.Median();
}

} // namespace

void RunRecordingBench() {
    ScratchRegistry registry;
    ResetAddinState();
    g_host.accountKeys = CreateBenchProfile(16, 2);
    ScratchHistory history;

    Timings commands;
    CommandRun last;
    for (int run = 0; run < kRuns; ++run) {
        last = RunOnce();
        commands.runs.push_back(last.milliseconds);
    }
    Table table("Block Senders on 1,000 selected messages with the history noting each run "
                "(full after the first runs), median of " +
                    std::to_string(kRuns) + " runs",
                {"command", "host calls", "of which for the history", "those calls alone",
                 "history entries"});
    table.AddRow({FormatMs(commands.Median()), FormatCount(static_cast<long long>(last.calls)),
                  FormatCount(static_cast<long long>(last.historyCalls)),
                  FormatMs(TimeHistoryCalls()),
                  FormatCount(static_cast<long long>(LoadHistory().size()))});
    table.AddNote("the history asks each moved message for its folder (Parent, EntryID) and "
                  "its id after the move (EntryID), and Junk E-mail once for its StoreID; "
                  "writing the file is timed in the history section");
    table.Print();

    ResetAddinState();
}

} // namespace sw::bench
