// Block Senders and Block Domains with 1,000 selected messages against stored
// lists of 16,384, 32,768 and 65,535 entries: the add-in's commands against
// the reference algorithm, the whole command and the list work alone; and
// Block Senders with the messages in one store or spread over three, each
// going to its own store's Junk E-mail.
#include "bench/bench_profile.h"
#include "bench/list_work.h"
#include "bench/reference_commands.h"
#include "bench/sample_lists.h"
#include "bench/scratch_history.h"
#include "bench/scratch_registry.h"
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "commands/block_commands.h"
#include "sim/outlook/mailbox.h"
#include "sim/outlook/outlook_session.h"
#include "store/list_capacity.h"
#include "store/profile_store.h"
#include "store/state.h"

#include <memory>
#include <utility>
#include <vector>

namespace sw::bench {
namespace {

constexpr size_t kSelected = 1000;
constexpr size_t kSinceLoad = 100;
constexpr size_t kSafeEntries = 1024;
constexpr int kRuns = 5;
constexpr size_t kSizes[] = {16384, 32768, 65535};

struct CommandOutcome {
    Timings timings;
    std::wstring stored;                 // the list after the last run
    std::vector<std::wstring> sinceLoad; // g_host.blockedSinceLoad after it
    size_t moved = 0;                    // messages in the stores' Junk E-mail after it
    size_t calls = 0;                    // host calls of the last run
    size_t storeCalls = 0;               // of which to find each store's Junk E-mail
};

// Runs a command kRuns times, each time on the stored list `list` and a fresh
// host with one message from each sender selected, the messages dealt out in
// turn to the Inboxes of `stores` stores (the default one, a second Exchange
// mailbox, an Outlook.com account).
CommandOutcome TimeCommand(void (*command)() noexcept, const std::wstring& list,
                           const std::wstring& safe, const std::vector<std::wstring>& sinceLoad,
                           const std::vector<std::wstring>& senders, size_t stores = 1) {
    CommandOutcome outcome;
    for (int run = 0; run < kRuns; ++run) {
        StoreBlockedList(list);
        StoreSafeList(safe);
        g_host.blockedSinceLoad = sinceLoad;
        auto outlook = std::make_unique<sim::OutlookSession>(L"16.0.0.4266");
        sim::Mailbox& box = outlook->mailbox();
        std::vector<sim::Folder*> inboxes{&box.Inbox()};
        for (const auto& [name, type] :
             {std::pair{L"Second mailbox", sim::StoreType::AdditionalMailbox},
              std::pair{L"Outlook.com", sim::StoreType::NotExchange}}) {
            if (inboxes.size() < stores)
                inboxes.push_back(
                    box.AddStore(name, type, true).DefaultFolder(sim::default_folder::Inbox));
        }
        std::vector<sim::Item*> selection;
        for (const std::wstring& sender : senders)
            selection.push_back(&box.AddMail(*inboxes[selection.size() % inboxes.size()], sender,
                                             {L"me@corp.example", L"you@corp.example"}));
        box.Select(selection);
        g_host.hostApp = outlook->Application();
        outlook->calls().Clear();

        Stopwatch watch;
        command();
        outcome.timings.runs.push_back(watch.Milliseconds());

        outcome.moved = 0;
        for (const sim::Folder* inbox : inboxes)
            outcome.moved +=
                inbox->store().DefaultFolder(sim::default_folder::Junk)->items().size();
        outcome.calls = outlook->calls().size();
        outcome.storeCalls = 0;
        for (const sim::CallRecord& record : outlook->calls().records())
            outcome.storeCalls += record.object == L"Store" || record.member == L"Store" ? 1 : 0;
        g_host.hostApp = nullptr;
    }
    outcome.stored = StoredBlockedList();
    outcome.sinceLoad = g_host.blockedSinceLoad;
    return outcome;
}

// Reading both lists and writing the result, as the command does.
Timings TimeRegistry(const std::wstring& list, const std::wstring& safe,
                     const std::wstring& result) {
    return Repeat(
        kRuns,
        [&] {
            StoreBlockedList(list);
            StoreSafeList(safe);
        },
        [&] {
            std::wstring blocked, safeText;
            static_cast<void>(
                ReadProfileList(g_host.Profile(), ProfileListKind::Blocked, blocked).ok());
            static_cast<void>(
                ReadProfileList(g_host.Profile(), ProfileListKind::Safe, safeText).ok());
            static_cast<void>(WriteProfileList(g_host.Profile(), result, g_host.newBlockedEntries,
                                               g_host.blockedSinceLoad)
                                  .ok());
        });
}

struct ListWorkTimes {
    double setupMs = 0;
    double itemsMs = 0;
    std::wstring list;
};

ListWorkTimes TimeListWork(ListWorkResult (*work)(const ListWorkInput&),
                           const ListWorkInput& input) {
    Timings setup, items;
    ListWorkTimes times;
    for (int run = 0; run < kRuns; ++run) {
        ListWorkResult result = work(input);
        setup.runs.push_back(result.setupMs);
        items.runs.push_back(result.itemsMs);
        times.list = std::move(result.list);
    }
    times.setupMs = setup.Median();
    times.itemsMs = items.Median();
    return times;
}

void BenchCommand(bool domains, const std::wstring& safe) {
    Table table(std::string(domains ? "Block Domains" : "Block Senders") +
                    ": 1,000 selected messages (every second one already blocked), median of " +
                    std::to_string(kRuns) + " runs",
                {"stored entries", "command", "reference command", "registry r/w",
                 "list: index+merge", "list: 1,000 items", "reference list work", "same result"});
    std::vector<double> itemTimes, referenceTimes;
    for (size_t size : kSizes) {
        const std::vector<std::wstring> entries = BlockedEntries(size);
        const std::wstring list = ListText(entries);
        std::vector<std::wstring> sinceLoad; // earlier additions, all in the stored list
        for (size_t i = 0; i < kSinceLoad; ++i)
            sinceLoad.push_back(entries[(i * 7919) % entries.size()]);
        const std::vector<std::wstring> senders = SelectedSenders(entries, domains, kSelected);

        const CommandOutcome indexed =
            TimeCommand(domains ? &BlockSelectedDomains : &BlockSelectedSenders, list, safe,
                        sinceLoad, senders);
        const CommandOutcome reference =
            TimeCommand(domains ? &ReferenceBlockSelectedDomains : &ReferenceBlockSelectedSenders,
                        list, safe, sinceLoad, senders);
        const Timings registry = TimeRegistry(list, safe, indexed.stored);

        const ListWorkInput input{list, safe, sinceLoad, senders, domains};
        const ListWorkTimes work = TimeListWork(&IndexedListWork, input);
        const ListWorkTimes referenceWork = TimeListWork(&ReferenceListWork, input);

        const bool same = indexed.stored == reference.stored &&
                          indexed.sinceLoad == reference.sinceLoad && indexed.moved == kSelected &&
                          reference.moved == kSelected && work.list == indexed.stored &&
                          referenceWork.list == indexed.stored;
        table.AddRow({FormatCount(static_cast<long long>(size)), FormatMs(indexed.timings.Median()),
                      FormatMs(reference.timings.Median()), FormatMs(registry.Median()),
                      FormatMs(work.setupMs), FormatMs(work.itemsMs),
                      FormatMs(referenceWork.setupMs + referenceWork.itemsMs),
                      same ? "yes" : "NO"});
        itemTimes.push_back(work.itemsMs);
        referenceTimes.push_back(referenceWork.setupMs + referenceWork.itemsMs);
    }
    table.AddNote("list work growth from each size to the next: 1,000 items " +
                  FormatRatio(itemTimes[1] / itemTimes[0]) + ", " +
                  FormatRatio(itemTimes[2] / itemTimes[1]) + "; reference " +
                  FormatRatio(referenceTimes[1] / referenceTimes[0]) + ", " +
                  FormatRatio(referenceTimes[2] / referenceTimes[1]));
    table.AddNote("registry r/w: both lists read, the result written to the profile and 2 "
                  "account keys; the rest of a command is host calls");
    table.Print();
}

// Block Senders on 1,000 messages in one store and spread over three, at the
// longest list: the host calls grow with the messages and the stores, the
// stores' own by a few calls for each store and each folder.
void BenchStores(const std::wstring& safe) {
    constexpr size_t kEntries = 65535;
    Table table("Block Senders: 1,000 selected messages at " +
                    FormatCount(static_cast<long long>(kEntries)) +
                    " stored entries, each to its own store's Junk E-mail, median of " +
                    std::to_string(kRuns) + " runs",
                {"messages in", "command", "host calls", "of which for the stores",
                 "moved to Junk E-mail"});
    const std::vector<std::wstring> entries = BlockedEntries(kEntries);
    const std::wstring list = ListText(entries);
    const std::vector<std::wstring> senders = SelectedSenders(entries, false, kSelected);
    for (const size_t stores : {size_t{1}, size_t{3}}) {
        const CommandOutcome outcome =
            TimeCommand(&BlockSelectedSenders, list, safe, {}, senders, stores);
        table.AddRow({stores == 1 ? "1 store" : std::to_string(stores) + " stores",
                      FormatMs(outcome.timings.Median()),
                      FormatCount(static_cast<long long>(outcome.calls)),
                      FormatCount(static_cast<long long>(outcome.storeCalls)),
                      FormatCount(static_cast<long long>(outcome.moved))});
    }
    table.AddNote("for the stores: Folder.Store and Store.StoreID once per folder, and "
                  "ExchangeStoreType and GetDefaultFolder once per store but the default one "
                  "(Outlook 2016)");
    table.Print();
}

} // namespace

void RunCommandsBench() {
    ScratchRegistry registry;
    ScratchHistory history;
    ResetAddinState();
    g_host.accountKeys = CreateBenchProfile(16, 2);
    // The long lists are past Exchange's limits on purpose: the one message
    // about that counts as given, so that no run waits on it.
    g_host.capacityWarned = static_cast<int>(CapacityLevel::Over);
    const std::wstring safe = SafeListText(kSafeEntries);
    BenchCommand(false, safe);
    BenchCommand(true, safe);
    BenchStores(safe);
    ResetAddinState();
}

} // namespace sw::bench
