// Putting the commands' additions back into the stored list when the add-in
// disconnects: a stored list of 65,535 entries and 1,000 additions, all still
// in the list or all lost from it.
#include "bench/bench_profile.h"
#include "bench/reference_commands.h"
#include "bench/sample_lists.h"
#include "bench/scratch_registry.h"
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "platform/user_message.h"
#include "store/list_index.h"
#include "store/list_text.h"
#include "store/profile_store.h"
#include "store/state.h"

#include <cstdio>

namespace sw::bench {
namespace {

constexpr size_t kStoredEntries = 65535;
constexpr size_t kAdditions = 1000;
constexpr int kRuns = 5;

struct Outcome {
    Timings timings;
    std::wstring stored;
};

Outcome TimeReapply(void (*reapply)(), const std::wstring& list,
                    const std::vector<std::wstring>& additions) {
    Outcome outcome;
    outcome.timings = Repeat(
        kRuns,
        [&] {
            StoreBlockedList(list);
            g_host.blockedSinceLoad = additions;
        },
        reapply);
    outcome.stored = StoredBlockedList();
    return outcome;
}

void IndexedReapply() {
    ShowOutcome(ReapplyBlockedAdditions(g_host.Profile(), g_host.blockedSinceLoad,
                                        g_host.newBlockedEntries));
}

void BenchCase(Table& table, const char* label, const std::wstring& list,
               const std::vector<std::wstring>& additions) {
    const Outcome indexed = TimeReapply(&IndexedReapply, list, additions);
    const Outcome reference = TimeReapply(&ReferenceReapplyBlockedAdditions, list, additions);

    std::wstring indexedList, referenceList;
    const Timings work = Repeat(kRuns, nullptr, [&] {
        CListIndex blocked(list);
        blocked.AppendMissing(additions);
        indexedList = blocked.Text();
    });
    const Timings referenceWork = Repeat(kRuns, nullptr, [&] {
        referenceList = list;
        AppendMissing(referenceList, additions);
    });
    const bool same = indexed.stored == reference.stored && indexedList == referenceList &&
                      indexed.stored == indexedList;
    table.AddRow({label, FormatMs(indexed.timings.Median()), FormatMs(indexed.timings.Worst()),
                  FormatMs(reference.timings.Median()), FormatMs(work.Median()),
                  FormatMs(referenceWork.Median()), "500 ms", same ? "yes" : "NO"});
}

} // namespace

void RunReapplyBench() {
    ScratchRegistry registry;
    ResetAddinState();
    g_host.accountKeys = CreateBenchProfile(16, 2);

    const std::vector<std::wstring> entries = BlockedEntries(kStoredEntries);
    const std::wstring list = ListText(entries);
    std::vector<std::wstring> kept, lost;
    for (size_t i = 0; i < kAdditions; ++i) {
        kept.push_back(entries[(i * 104729) % entries.size()]);
        wchar_t entry[64];
        std::swprintf(entry, 64, L"added%05zu@gone%04zu.example", i, i % 301);
        lost.push_back(entry);
    }

    Table table("ReapplyBlockedAdditions at disconnection: 65,535 stored entries, 1,000 "
                "additions, median of " +
                    std::to_string(kRuns) + " runs",
                {"additions", "indexed", "worst", "reference", "list work", "reference list work",
                 "Outlook's limit", "same result"});
    BenchCase(table, "all still stored (nothing written)", list, kept);
    BenchCase(table, "all lost (appended, written to 3 keys)", list, lost);
    table.Print();
    ResetAddinState();
}

} // namespace sw::bench
