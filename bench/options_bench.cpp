// The Blocked Senders page with 65,535 entries: the page's Load against the
// binary-search insert of one entry at a time and the linear walk, the search
// on each keystroke, and the real sheet opening and searching.
#include "bench/bench_profile.h"
#include "bench/reference_load.h"
#include "bench/sample_lists.h"
#include "bench/scratch_registry.h"
#include "bench/sections.h"
#include "bench/sheet_timing.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "manager/blocked_senders_list.h"
#include "store/list_text.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"

#include <optional>

namespace sw::bench {
namespace {

constexpr size_t kEntries = 65535;
constexpr int kLoadRuns = 10;
constexpr int kSearchRuns = 20;
constexpr int kSheetRuns = 5;

// The search text in quotes (ASCII search texts only).
std::string Quoted(const std::wstring& text) {
    std::string quoted(1, '"');
    quoted.append(text.begin(), text.end());
    quoted.push_back('"');
    return quoted;
}

void BenchLoad(const std::wstring& list) {
    Table table("Blocked Senders page: loading 65,535 entries",
                {"algorithm", "median", "worst", "runs", "same entries"});
    // The page loads into a fresh list once; a list from an earlier run is
    // released before the clock starts.
    std::optional<BlockedSendersList> page;
    const auto fresh = [&] {
        page.reset();
        page.emplace();
    };
    const Timings load = Repeat(kLoadRuns, fresh, [&] { page->Load(list); });
    const std::vector<std::wstring> expected = page->Entries();
    table.AddRow({"Load (as the page does it)", FormatMs(load.Median()), FormatMs(load.Worst()),
                  std::to_string(kLoadRuns), "-"});

    const Timings read = Repeat(kLoadRuns, fresh, [&] {
        std::wstring stored;
        static_cast<void>(ReadProfileList(g_host.Profile(), ProfileListKind::Blocked, stored).ok());
        page->Load(stored);
    });
    table.AddRow({"registry read + Load", FormatMs(read.Median()), FormatMs(read.Worst()),
                  std::to_string(kLoadRuns), page->Entries() == expected ? "yes" : "NO"});

    BlockedSendersList byBinarySearch;
    const Timings binary = Repeat(1, nullptr, [&] {
        CListTokenizer tokenizer(list, L";");
        std::wstring token;
        while (tokenizer.NextToken(token))
            byBinarySearch.InsertSorted(std::move(token));
    });
    table.AddRow({"InsertSorted one by one (binary search)", FormatMs(binary.Median()),
                  FormatMs(binary.Worst()), "1",
                  byBinarySearch.Entries() == expected ? "yes" : "NO"});

    std::vector<std::wstring> walked;
    const Timings walk = Repeat(1, nullptr, [&] { walked = LoadByLinearWalk(list); });
    table.AddRow({"reference: linear walk one by one", FormatMs(walk.Median()),
                  FormatMs(walk.Worst()), "1", walked == expected ? "yes" : "NO"});
    table.Print();
}

void BenchSearch(const std::wstring& list, const std::vector<std::wstring>& searches) {
    Table table("Blocked Senders page: one search keystroke over 65,535 entries (ApplyFilter)",
                {"search text", "rows shown", "median", "worst", "target"});
    BlockedSendersList page;
    page.Load(list);
    for (const std::wstring& search : searches) {
        const Timings timings = Repeat(
            kSearchRuns, [&] { page.ApplyFilter(L""); }, [&] { page.ApplyFilter(search); });
        table.AddRow({Quoted(search), FormatCount(page.Shown().size()), FormatMs(timings.Median()),
                      FormatMs(timings.Worst()), "16 ms"});
    }
    // Built in steps: GCC 12's -Wrestrict misreads "text" + std::string for
    // 32-bit targets.
    std::string note = "median of ";
    note += std::to_string(kSearchRuns);
    note += " runs, each after clearing the search";
    table.AddNote(note);
    table.Print();
}

void BenchSheet(const std::vector<std::wstring>& searches) {
    Timings open, repaint, dpiChange;
    std::vector<Timings> typed(searches.size());
    std::vector<int> rows(searches.size());
    int total = 0;
    for (int run = 0; run < kSheetRuns; ++run) {
        const SheetTimes times = TimeOptionsSheet(searches);
        if (!times.shown) {
            std::printf("\nThe real Options sheet: skipped, no display.\n");
            return;
        }
        open.runs.push_back(times.openMs);
        repaint.runs.push_back(times.repaintMs);
        dpiChange.runs.push_back(times.dpiChangeMs);
        total = times.rows;
        for (size_t i = 0; i < searches.size() && i < times.searchMs.size(); ++i) {
            typed[i].runs.push_back(times.searchMs[i]);
            rows[i] = times.searchRows[i];
        }
    }
    Table table("The real Options sheet (virtual list view under Wine), " +
                    std::to_string(kSheetRuns) + " openings",
                {"action", "rows shown", "median", "worst", "target"});
    table.AddRow({"open the Blocked Senders page", FormatCount(total), FormatMs(open.Median()),
                  FormatMs(open.Worst()), "80 ms"});
    for (size_t i = 0; i < searches.size(); ++i)
        table.AddRow({"type " + Quoted(searches[i]) + " into Search", FormatCount(rows[i]),
                      FormatMs(typed[i].Median()), FormatMs(typed[i].Worst()), "5 ms"});
    table.AddRow({"repaint the list view alone (no search)", FormatCount(total),
                  FormatMs(repaint.Median()), FormatMs(repaint.Worst()), "-"});
    table.AddRow({"lay the page out again for a new DPI", FormatCount(total),
                  FormatMs(dpiChange.Median()), FormatMs(dpiChange.Worst()), "50 ms"});
    table.AddNote("each figure runs until the sheet has painted; the list is read and sorted on a "
                  "worker thread from the moment the sheet opens (the Options page shows first), "
                  "and opening the page waits for it if it is not done");
    table.Print();
}

} // namespace

void RunOptionsBench() {
    ScratchRegistry registry;
    ResetAddinState();
    CreateBenchProfile(16, 0);
    SetSettingsRoot(HKEY_CURRENT_USER, kSettingsMaker);
    const std::wstring list = ListText(BlockedEntries(kEntries));
    StoreBlockedList(list);

    BenchLoad(list);
    const std::vector<std::wstring> searches = {L"@", L"s", L"sender1", L"@spamhost0004",
                                                L"nowhere"};
    BenchSearch(list, searches);
    BenchSheet({L"@", L"@s", L"@spamhost0004"});
    ResetAddinState();
}

} // namespace sw::bench
