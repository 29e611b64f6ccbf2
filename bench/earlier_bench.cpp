// Block Senders with "Also move earlier messages" on, in folders of 2,000 and
// 20,000 messages holding 200 earlier messages from the 20 selected senders:
// the host calls the command makes, counted by the simulated Outlook, against
// what walking the folder would cost.
#include "bench/bench_profile.h"
#include "bench/scratch_history.h"
#include "bench/scratch_registry.h"
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "commands/block_commands.h"
#include "sim/outlook/mailbox.h"
#include "sim/outlook/outlook_session.h"
#include "store/settings.h"
#include "store/state.h"

#include <memory>

namespace sw::bench {
namespace {

constexpr size_t kSenders = 20;
constexpr size_t kEarlierEach = 10;
constexpr size_t kFolderSizes[] = {2000, 20000};
constexpr int kRuns = 5;

struct SweepRun {
    size_t calls = 0; // host calls of the whole command
    size_t moved = 0; // messages in Junk E-mail afterwards
    double milliseconds = 0;
};

// One command in a fresh host: `folderSize` messages in the Inbox, of which
// kSenders x kEarlierEach are earlier messages of the selected senders.
SweepRun RunOnce(size_t folderSize, bool moveEarlier) {
    StoreBlockedList(L"");
    g_host.blockedSinceLoad.clear();
    g_settings.moveEarlier = moveEarlier;
    auto outlook = std::make_unique<sim::OutlookSession>(L"16.0.0.4266");
    sim::Mailbox& box = outlook->mailbox();
    const size_t earlier = kSenders * kEarlierEach;
    for (size_t i = 0; i < folderSize - earlier - kSenders; ++i)
        box.AddMail(box.Inbox(), L"n" + std::to_wstring(i) + L"@ham.example", {L"me@corp.example"});
    std::vector<sim::Item*> selection;
    for (size_t s = 0; s < kSenders; ++s) {
        const std::wstring sender = L"s" + std::to_wstring(s) + L"@spam.example";
        for (size_t e = 0; e < kEarlierEach; ++e)
            box.AddMail(box.Inbox(), sender, {L"me@corp.example"});
        selection.push_back(&box.AddMail(box.Inbox(), sender, {L"me@corp.example"}));
    }
    box.Select(selection);
    g_host.hostApp = outlook->Application();
    outlook->calls().Clear();

    Stopwatch watch;
    BlockSelectedSenders();
    SweepRun run;
    run.milliseconds = watch.Milliseconds();
    run.calls = outlook->calls().size();
    run.moved = box.JunkEmail().items().size();
    g_host.hostApp = nullptr;
    return run;
}

} // namespace

void RunEarlierBench() {
    ScratchRegistry registry;
    ScratchHistory history;
    ResetAddinState();
    g_host.accountKeys = CreateBenchProfile(16, 2);
    Table table("Block Senders on 20 selected messages with 200 earlier messages from their "
                "senders in the folder; host calls counted by the simulated Outlook, median "
                "time of " +
                    std::to_string(kRuns) + " runs",
                {"folder", "calls: setting off", "calls: setting on", "calls per earlier message",
                 "a folder walk (>= 3 per message)", "moved", "command: off", "command: on"});
    for (size_t size : kFolderSizes) {
        Timings off, on;
        SweepRun offRun, onRun;
        for (int i = 0; i < kRuns; ++i) {
            offRun = RunOnce(size, false);
            off.runs.push_back(offRun.milliseconds);
            onRun = RunOnce(size, true);
            on.runs.push_back(onRun.milliseconds);
        }
        const double perMatch = static_cast<double>(onRun.calls - offRun.calls) /
                                static_cast<double>(kSenders * kEarlierEach);
        char perMatchText[16];
        snprintf(perMatchText, sizeof perMatchText, "%.1f", perMatch);
        table.AddRow({FormatCount(static_cast<long long>(size)),
                      FormatCount(static_cast<long long>(offRun.calls)),
                      FormatCount(static_cast<long long>(onRun.calls)), perMatchText,
                      FormatCount(static_cast<long long>(3 * size)),
                      FormatCount(static_cast<long long>(onRun.moved)), FormatMs(off.Median()),
                      FormatMs(on.Median())});
    }
    table.AddNote("the sweep asks the host once per added entry (Restrict, Count) and then "
                  "only for the matches: the same calls whatever the folder's size");
    table.AddNote("command time includes the simulated host's own Restrict, which scans its "
                  "folder in memory; Outlook answers from the store's index");
    table.Print();
    ResetAddinState();
}

} // namespace sw::bench
