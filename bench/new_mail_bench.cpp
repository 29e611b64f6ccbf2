// New mail from senders blocked since Outlook started, against a stored list
// of 65,535 entries of which 1,000 were added since: what the add-in's own
// matching costs per message, what one NewMailEx event of one id and an
// Outlook 2003 event of 1,000 ids cost in the simulated Outlook (none or
// all of them blocked), also arriving in other stores of the profile, with
// the host calls they make, and what keeping the new entries costs the
// writes of the list.
#include "bench/bench_profile.h"
#include "bench/sample_lists.h"
#include "bench/scratch_history.h"
#include "bench/scratch_registry.h"
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "commands/new_mail.h"
#include "sim/outlook/mailbox.h"
#include "sim/outlook/outlook_session.h"
#include "store/profile_store.h"
#include "store/state.h"

#include <memory>

namespace sw::bench {
namespace {

constexpr size_t kListLength = 65535;
constexpr size_t kAdded = 1000;
constexpr size_t kCollection = 1000;
constexpr int kRuns = 7;

struct EventRun {
    Timings time;
    size_t calls = 0;
    size_t moved = 0;
};

// One event of `ids`; each run starts from the messages back in the
// folders they arrived in, and with no store remembered for new mail.
EventRun Measure(sim::OutlookSession& outlook, const std::vector<sim::Item*>& items) {
    std::wstring ids;
    std::vector<sim::Folder*> arrivedIn;
    for (sim::Item* item : items) {
        ids += (ids.empty() ? L"" : L",") + item->entryId;
        arrivedIn.push_back(&item->folder());
    }
    sim::Mailbox& box = outlook.mailbox();
    EventRun run;
    run.time = Repeat(
        kRuns,
        [&] {
            for (size_t i = 0; i < items.size(); ++i) {
                if (!arrivedIn[i]->contains(*items[i]))
                    box.Move(*items[i], *arrivedIn[i]);
            }
            g_host.newMailStoreId.clear();
            outlook.calls().Clear();
        },
        [&] { run.moved = MoveNewMailFromBlockedSenders(ids); });
    run.calls = outlook.calls().size();
    return run;
}

} // namespace

void RunNewMailBench() {
    ScratchRegistry registry;
    ScratchHistory history;
    ResetAddinState();
    g_host.accountKeys = CreateBenchProfile(16, 2);
    const std::vector<std::wstring> entries = BlockedEntries(kListLength);
    const std::vector<std::wstring> before(entries.begin(), entries.end() - kAdded);
    const std::wstring atStart = ListText(before);
    const std::wstring now = ListText(entries);

    Table writes("Writing the 65,535-entry list: the new entries kept in step (median of " +
                     std::to_string(kRuns) + " runs)",
                 {"write", "time"});
    Timings first = Repeat(
        kRuns,
        [&] {
            g_host.newBlockedEntries.Clear();
            StoreBlockedList(atStart);
        },
        [&] {
            static_cast<void>(WriteProfileList(g_host.Profile(), now, g_host.newBlockedEntries,
                                               g_host.blockedSinceLoad)
                                  .ok());
        });
    Timings later = Repeat(
        kRuns, [] {},
        [&] {
            static_cast<void>(WriteProfileList(g_host.Profile(), now, g_host.newBlockedEntries,
                                               g_host.blockedSinceLoad)
                                  .ok());
        });
    // The Options sheet removes an entry: the whole list is tested again.
    const std::wstring removed = ListText({entries.begin() + 1, entries.end()});
    bool flip = false;
    Timings removing = Repeat(
        kRuns, [] {},
        [&] {
            flip = !flip;
            static_cast<void>(WriteProfileList(g_host.Profile(), flip ? removed : now,
                                               g_host.newBlockedEntries, g_host.blockedSinceLoad)
                                  .ok());
        });
    Timings plain = Repeat(
        kRuns, [] {},
        [&] {
            static_cast<void>(WriteProfileListToKey(g_host.Profile(), kProfileListSubkey, now,
                                                    ProfileListKind::Blocked)
                                  .ok());
            for (const std::wstring& account : g_host.accountKeys)
                static_cast<void>(
                    WriteProfileListToKey(g_host.Profile(), account, now, ProfileListKind::Blocked)
                        .ok());
        });
    writes.AddRow(
        {"first of the session (reads the list the filter knows)", FormatMs(first.Median())});
    writes.AddRow({"a later one that appends (a command)", FormatMs(later.Median())});
    writes.AddRow({"a later one that removes (the Options sheet)", FormatMs(removing.Median())});
    writes.AddRow({"the same writes without the new entries", FormatMs(plain.Median())});
    writes.AddNote("both write the profile's key and two accounts' keys; the new entries: " +
                   FormatCount(static_cast<long long>(g_host.newBlockedEntries.size())));
    writes.Print();

    // The add-in's own work for one message: the sender against the new entries.
    std::vector<std::wstring> senders;
    for (size_t i = 0; i < 10000; ++i)
        senders.push_back(L"someone" + std::to_wstring(i) + L"@ham" + std::to_wstring(i % 97) +
                          L".example");
    size_t matched = 0;
    Timings matching = Repeat(
        kRuns, [] {},
        [&] {
            for (const std::wstring& sender : senders)
                matched += g_host.newBlockedEntries.Match(sender).empty() ? 0 : 1;
        });

    sim::OutlookSession outlook(L"16.0.0.4266");
    sim::Mailbox& box = outlook.mailbox();
    g_host.hostApp = outlook.Application();
    std::vector<sim::Item*> ham, spam;
    for (size_t i = 0; i < kCollection; ++i)
        ham.push_back(&box.AddMail(box.Inbox(), senders[i], {L"me@corp.example"}));
    for (size_t i = 0; i < kCollection; ++i) {
        const std::wstring& entry = entries[entries.size() - 1 - i];
        const std::wstring sender = entry[0] == L'@' ? L"x" + entry : entry;
        spam.push_back(&box.AddMail(box.Inbox(), sender, {L"me@corp.example"}));
    }

    Table table("New mail against a list of 65,535 entries, 1,000 added since Outlook started; "
                "median of " +
                    std::to_string(kRuns) + " runs, worst in brackets",
                {"event", "host calls", "moved", "time"});
    const auto row = [&](const std::string& what, const EventRun& run) {
        table.AddRow({what, FormatCount(static_cast<long long>(run.calls)),
                      FormatCount(static_cast<long long>(run.moved)),
                      FormatMs(run.time.Median()) + " (" + FormatMs(run.time.Worst()) + ")"});
    };
    row("one message, not blocked", Measure(outlook, {ham[0]}));
    row("one message, blocked since start", Measure(outlook, {spam[0]}));
    row("1,000 ids, none blocked", Measure(outlook, ham));
    row("1,000 ids, all blocked", Measure(outlook, spam));
    // The same blocked mail arriving in three more stores, a third in each,
    // one store after another in the event: the stores are listed once per
    // event, and the store that answered is asked first for the next id.
    std::vector<sim::Item*> spread;
    for (size_t s = 1; s <= 3; ++s) {
        sim::Store& store = box.AddStore(L"account", sim::StoreType::NotExchange, true);
        sim::Folder& inbox = *store.DefaultFolder(sim::default_folder::Inbox);
        for (size_t i = s - 1; i < kCollection; i += 3)
            spread.push_back(&box.AddMail(inbox, spam[i]->senderAddress, {L"me@corp.example"}));
    }
    row("one message in the fourth of 4 stores, blocked", Measure(outlook, {spread.back()}));
    row("1,000 ids over 3 other stores, all blocked", Measure(outlook, spread));
    const NewBlockedEntries known = g_host.newBlockedEntries;
    g_host.newBlockedEntries.Clear();
    row("1,000 ids, nothing added since start", Measure(outlook, spam));
    g_host.newBlockedEntries = known;
    char perMessage[32];
    snprintf(perMessage, sizeof perMessage, "%.4f ms",
             matching.Median() / static_cast<double>(senders.size()));
    table.AddNote(std::string("the add-in's own matching of one sender: ") + perMessage +
                  " (10,000 senders in " + FormatMs(matching.Median()) + ")");
    table.AddNote("times include the simulated host's calls and, where messages move, recording "
                  "the run in the history");
    table.Print();
    g_host.hostApp = nullptr;
    ResetAddinState();
    (void)matched;
}

} // namespace sw::bench
