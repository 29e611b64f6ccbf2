// Tidy on a full list: 65,535 entries with every kind of change in it, the
// proposals and then applying all three groups at once.
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "manager/entry_order.h"
#include "manager/list_tidy.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace sw::bench {
namespace {

constexpr size_t kEntries = 65535;
constexpr size_t kDuplicates = 1000;
constexpr int kRuns = 7;

std::wstring Format(const wchar_t* format, size_t a, size_t b) {
    wchar_t text[96];
    std::swprintf(text, 96, format, a, b);
    return text;
}

wchar_t UpperAscii(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// "Sender00012@Mail0012.example" for "sender00012@mail0012.example".
void Capitalise(std::wstring& entry) {
    const size_t at = entry.find(L'@');
    if (at + 1 < entry.size())
        entry[at + 1] = UpperAscii(entry[at + 1]);
    entry[0] = UpperAscii(entry[0]);
}

// A list the way years of Block Senders leave it, sorted as the page keeps
// it. Of every ten entries one is a domain entry, two are addresses at such
// domains (covered), three are addresses ten or so to a domain (foldable) and
// four have a domain each; one in seven is capitalised.
std::vector<std::wstring> TidyList() {
    std::vector<std::wstring> entries;
    entries.reserve(kEntries);
    for (size_t i = 0; i < kEntries; ++i) {
        const size_t kind = i % 10;
        if (kind == 0)
            entries.push_back(Format(L"@spamhost%05zu.example", i / 10, 0));
        else if (kind <= 2)
            entries.push_back(
                Format(L"x%05zu@spamhost%05zu.example", i, (i * 7919) % (kEntries / 10)));
        else if (kind <= 5)
            entries.push_back(Format(L"sender%05zu@mail%04zu.example", i, i % 1999));
        else
            entries.push_back(Format(L"user%05zu@single%05zu.example", i, i));
        if (i % 7 == 3)
            Capitalise(entries.back());
    }
    std::sort(entries.begin(), entries.end(), AsciiCaseLess{});
    return entries;
}

// Stored copies of listed entries that differ from them in case alone.
std::vector<std::wstring> CaseCopies(const std::vector<std::wstring>& entries) {
    std::mt19937 random(kEntries);
    std::vector<std::wstring> copies;
    for (size_t i = 0; i < kDuplicates; ++i) {
        std::wstring copy = entries[random() % entries.size()];
        for (wchar_t& c : copy)
            c = UpperAscii(c);
        copies.push_back(copy);
    }
    return copies;
}

std::string Saved(const TidyProposal& proposal) {
    return FormatCount(static_cast<long long>(proposal.changes.size())) + " changes, " +
           FormatCount(static_cast<long long>(proposal.entriesSaved)) + " entries, " +
           FormatCount(static_cast<long long>(proposal.bytesSaved)) + " bytes";
}

} // namespace

void RunTidyBench() {
    const std::vector<std::wstring> entries = TidyList();
    const std::vector<std::wstring> duplicates = CaseCopies(entries);
    TidyInput input;
    input.entries = &entries;
    input.duplicates = &duplicates;
    input.safeSenders = L"friend@mail0001.example;@mail0002.example;mail0003.example;";
    input.safeDomains = L"@mail0004.example;@gmail.com;@yahoo.com";

    TidyProposals proposals;
    // Each run starts with the previous run's result freed, as the dialog
    // and the page start with none.
    const Timings propose = Repeat(
        kRuns, [&] { proposals = {}; }, [&] { proposals = ProposeTidy(input); });
    std::vector<std::wstring> tidied;
    const Timings apply = Repeat(
        kRuns, [&] { tidied = {}; },
        [&] {
            tidied = ApplyTidy(entries, proposals, {true, true, true});
        });
    Timings both;
    for (size_t i = 0; i < propose.runs.size(); ++i)
        both.runs.push_back(propose.runs[i] + apply.runs[i]);

    size_t entriesSaved = 0;
    for (size_t group : {size_t{1}, size_t{2}})
        entriesSaved += proposals[group].entriesSaved;
    const bool sizeAddsUp = tidied.size() == entries.size() - entriesSaved;

    Table table("Tidy on 65,535 entries and 1,000 stored case copies, median of " +
                    std::to_string(kRuns) + " runs",
                {"step", "median", "worst", "target"});
    table.AddRow({"ProposeTidy", FormatMs(propose.Median()), FormatMs(propose.Worst()), "-"});
    table.AddRow(
        {"ApplyTidy, all three groups", FormatMs(apply.Median()), FormatMs(apply.Worst()), "-"});
    table.AddRow({"both", FormatMs(both.Median()), FormatMs(both.Worst()), "100 ms"});
    table.AddNote("case duplicates: " + Saved(proposals[0]));
    table.AddNote("covered addresses: " + Saved(proposals[1]));
    table.AddNote("folded domains: " + Saved(proposals[2]));
    table.AddNote("list after Tidy: " + FormatCount(static_cast<long long>(tidied.size())) +
                  " entries" + (sizeAddsUp ? "" : " (NOT what the proposals saved)"));
    table.Print();
}

} // namespace sw::bench
