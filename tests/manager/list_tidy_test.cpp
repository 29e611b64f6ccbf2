#include "manager/list_tidy.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace sw {
namespace {

using Rows = std::vector<std::wstring>;

constexpr size_t kDuplicates = static_cast<size_t>(TidyGroup::CaseDuplicates);
constexpr size_t kCovered = static_cast<size_t>(TidyGroup::CoveredAddresses);
constexpr size_t kFolded = static_cast<size_t>(TidyGroup::FoldedDomains);

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

// The lower-cased "@domain" of an address with exactly one "@" inside it.
std::wstring DomainKey(const std::wstring& entry) {
    const size_t at = entry.find(L'@');
    if (at == 0 || at == entry.npos || at + 1 == entry.size() ||
        entry.find(L'@', at + 1) != entry.npos)
        return {};
    return Lower(entry.substr(at));
}

TidyProposals Propose(const Rows& entries, const Rows& duplicates = {},
                      std::wstring safeSenders = {}, std::wstring safeDomains = {},
                      bool safeDomainsOn = true, int threshold = kDefaultFoldThreshold) {
    TidyInput input{&entries,      &duplicates, std::move(safeSenders), std::move(safeDomains),
                    safeDomainsOn, threshold};
    return ProposeTidy(input);
}

Rows Removed(const TidyProposal& proposal) {
    Rows removed;
    for (const TidyChange& change : proposal.changes)
        removed.insert(removed.end(), change.removed.begin(), change.removed.end());
    return removed;
}

Rows Added(const TidyProposal& proposal) {
    Rows added;
    for (const TidyChange& change : proposal.changes)
        added.push_back(change.added);
    return added;
}

size_t Bytes(const Rows& entries) {
    size_t bytes = 0;
    for (const std::wstring& entry : entries)
        bytes += (entry.size() + 1) * 2;
    return bytes;
}

// Every address `before` blocks, `after` blocks too: by itself or its exact
// domain entry, ASCII case ignored.
void ExpectBlocksNoLess(const Rows& before, const Rows& after) {
    std::set<std::wstring> blocked;
    for (const std::wstring& entry : after)
        blocked.insert(Lower(entry));
    for (const std::wstring& entry : before) {
        const std::wstring domain = DomainKey(entry);
        EXPECT_TRUE(blocked.contains(Lower(entry)) || (!domain.empty() && blocked.contains(domain)))
            << "no longer blocked: " << testing::PrintToString(entry);
    }
}

TEST(ListTidy, CaseDuplicatesRemoveEachStoredCopyOfAListedEntry) {
    const Rows entries{L"ann@spam.example", L"Bob@x.example", L"j\u00f6rg@x.example"};
    const TidyProposal p =
        Propose(entries, {L"Ann@Spam.example", L"ANN@SPAM.EXAMPLE", L"bob@x.example",
                          L"stray@nowhere.example", L"", L"J\u00d6RG@x.example"})[kDuplicates];
    // A copy of nothing listed is the last of its kind; non-ASCII letters never fold.
    EXPECT_EQ(Removed(p), (Rows{L"Ann@Spam.example", L"ANN@SPAM.EXAMPLE", L"bob@x.example"}));
    ASSERT_EQ(p.changes.size(), 3u);
    EXPECT_EQ(p.changes[0].kept, L"ann@spam.example");
    EXPECT_EQ(p.changes[2].kept, L"Bob@x.example");
    EXPECT_EQ(p.bytesSaved, (16 + 1) * 2 * 2 + (13 + 1) * 2u);
    EXPECT_EQ(p.entriesSaved, 3u);
    EXPECT_EQ(DescribeTidyChange(TidyGroup::CaseDuplicates, p.changes[0]),
              L"Ann@Spam.example (a copy of ann@spam.example)");
}

TEST(ListTidy, AddressesAreCoveredOnlyByTheirExactDomainEntry) {
    const Rows entries{L"@Spam.example",          L"ann@spam.example",     L"Bob@SPAM.Example",
                       L"carl@mail.spam.example", L"dan@spam.example.org", L"a@b@spam.example",
                       L"@other.example",         L"eve@other.EXAMPLE"};
    const TidyProposals all = Propose(entries);
    const TidyProposal& p = all[kCovered];
    EXPECT_EQ(Removed(p), (Rows{L"ann@spam.example", L"Bob@SPAM.Example", L"eve@other.EXAMPLE"}));
    EXPECT_EQ(p.changes[1].kept, L"@Spam.example");
    EXPECT_EQ(p.bytesSaved, Bytes(Removed(p)));
    EXPECT_EQ(p.entriesSaved, 3u);
    EXPECT_EQ(DescribeTidyChange(TidyGroup::CoveredAddresses, p.changes[0]),
              L"ann@spam.example (covered by @Spam.example)");
    EXPECT_TRUE(all[kFolded].changes.empty());
}

TEST(ListTidy, FoldsNeedEnoughAddressesAndNoDomainEntry) {
    const Rows entries{L"b@Y.example", L"A@X.Example",    L"z@y.example", L"bb@x.example",
                       L"c@x.EXAMPLE", L"solo@z.example", L"@w.example",  L"1@w.example",
                       L"2@w.example", L"3@w.example"};
    const TidyProposal three = Propose(entries)[kFolded];
    ASSERT_EQ(Added(three), (Rows{L"@x.example"}));
    EXPECT_EQ(three.changes[0].removed, (Rows{L"A@X.Example", L"bb@x.example", L"c@x.EXAMPLE"}));
    EXPECT_EQ(three.bytesSaved, Bytes(three.changes[0].removed) - Bytes({L"@x.example"}));
    EXPECT_EQ(three.entriesSaved, 2u);

    // In the order of each domain's first address; below 2 counts as 2.
    for (int threshold : {2, 1, 0, -5}) {
        const TidyProposal two = Propose(entries, {}, {}, {}, true, threshold)[kFolded];
        EXPECT_EQ(Added(two), (Rows{L"@y.example", L"@x.example"}));
        EXPECT_EQ(two.entriesSaved, 3u);
    }
    EXPECT_TRUE(Propose(entries, {}, {}, {}, true, 4)[kFolded].changes.empty());
}

TEST(ListTidy, FoldsSkipSafeDomainsWhileOnAndDomainsOnSafeSenders) {
    Rows entries;
    for (const wchar_t* domain :
         {L"gmail.com", L"yahoo.com", L"x.example", L"y.example", L"p.example"})
        for (const wchar_t* name : {L"a@", L"b@", L"c@"})
            entries.push_back(name + std::wstring(domain));
    const std::wstring safeSenders = L"a@x.example;@Y.example;P.example;";
    const std::wstring safeDomains = L"@gmail.com;@Yahoo.com";
    EXPECT_EQ(Added(Propose(entries, {}, safeSenders, safeDomains, true)[kFolded]),
              (Rows{L"@x.example"}));
    EXPECT_EQ(Added(Propose(entries, {}, safeSenders, safeDomains, false)[kFolded]),
              (Rows{L"@gmail.com", L"@yahoo.com", L"@x.example"}));
}

TEST(ListTidy, HostileEntriesNeverCrashAndAreLeftAlone) {
    const std::wstring longName(100000, L'n');
    const Rows entries{L"",
                       L"@",
                       L"@@",
                       L"a@",
                       L"a@",
                       L"a@",
                       L"x@y@h.example",
                       L"z@y@h.example",
                       L"w@y@h.example",
                       L"@y@h.example",
                       L"nobody",
                       longName + L"@h.example",
                       L"b@h.example",
                       L"\u00e9@h.example",
                       L"\xd800@h.example"};
    const TidyProposals p = Propose(entries, {L"", L"@", longName});
    EXPECT_EQ(Added(p[kFolded]), (Rows{L"@h.example"}));
    EXPECT_EQ(p[kFolded].changes[0].removed.size(), 4u);
    EXPECT_TRUE(p[kCovered].changes.empty());
    EXPECT_EQ(Removed(p[kDuplicates]), (Rows{L"@"}));
    const Rows applied = ApplyTidy(entries, p, {true, true, true});
    ExpectBlocksNoLess(entries, applied);
    EXPECT_EQ(applied.size(), entries.size() - 3);

    EXPECT_TRUE(Removed(ProposeTidy(TidyInput{})[kCovered]).empty());
    EXPECT_EQ(DescribeTidyChange(TidyGroup::FoldedDomains, {}), L"");
    EXPECT_EQ(DescribeTidyChange(static_cast<TidyGroup>(7), {{L"a"}, L"@b", {}}),
              L"@b replaces 1 address: a");
}

TEST(ListTidy, ApplyMakesTheChosenChangesAndNeverBlocksLess) {
    const Rows entries{L"keep@k.example", L"@spam.example", L"c@x.example",     L"ann@spam.example",
                       L"b@x.example",    L"a@x.example",   L"Bob@Spam.example"};
    const TidyProposals p = Propose(entries, {L"KEEP@k.example"});
    EXPECT_EQ(ApplyTidy(entries, p, {true, true, true}),
              (Rows{L"keep@k.example", L"@spam.example", L"@x.example"}));
    EXPECT_EQ(ApplyTidy(entries, p, {true, false, false}), entries);
    for (int mask = 0; mask < 8; ++mask) {
        const TidyChoice chosen{(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0};
        const Rows applied = ApplyTidy(entries, p, chosen);
        ExpectBlocksNoLess(entries, applied);
        size_t bytes = 0, saved = 0;
        for (size_t group : {kCovered, kFolded})
            if (chosen[group]) {
                bytes += p[group].bytesSaved;
                saved += p[group].entriesSaved;
            }
        EXPECT_EQ(Bytes(applied), Bytes(entries) - bytes) << mask;
        EXPECT_EQ(applied.size(), entries.size() - saved) << mask;
    }
}

TEST(ListTidy, ApplyLeavesWhatAStaleProposalWouldUnblock) {
    const Rows before{L"@spam.example", L"ann@spam.example", L"a@x.example", L"b@x.example",
                      L"c@x.example"};
    const TidyProposals p = Propose(before);
    // The domain entry is gone, the fold's domain entry is there already, one
    // folded address is gone.
    const Rows now{L"ann@spam.example", L"@X.example", L"b@x.example", L"c@x.example"};
    EXPECT_EQ(ApplyTidy(now, p, {true, true, true}), (Rows{L"ann@spam.example", L"@X.example"}));
    EXPECT_EQ(ApplyTidy({L"b@x.example", L"zed@z.example"}, p, {true, true, true}),
              (Rows{L"@x.example", L"zed@z.example"}));
}

TEST(ListTidy, AFoldNamesItsDomainEntryTheCountAndAsManyAddressesAsFit) {
    const Rows five{L"a@x.example", L"b@x.example", L"c@x.example", L"d@x.example", L"e@x.example"};
    const auto fold = [&](size_t count) {
        return TidyChange{
            Rows(five.begin(), five.begin() + static_cast<long>(count)), L"@x.example", {}};
    };
    const auto upTo = [](size_t characters) {
        return [characters](std::wstring_view line) { return line.size() <= characters; };
    };
    struct Case {
        const char* name;
        TidyChange change;
        std::function<bool(std::wstring_view)> fits;
        std::wstring line;
    };
    const Case cases[] = {
        {"three, unmeasured",
         fold(3),
         {},
         L"@x.example replaces 3 addresses: a@x.example, b@x.example, c@x.example"},
        {"four, unmeasured",
         fold(4),
         {},
         L"@x.example replaces 4 addresses: a@x.example, b@x.example, c@x.example, d@x.example"},
        {"five, unmeasured",
         fold(5),
         {},
         L"@x.example replaces 5 addresses: a@x.example, b@x.example, c@x.example, "
         L"\u2026 and 2 more"},
        {"all fit", fold(5), upTo(1000),
         L"@x.example replaces 5 addresses: a@x.example, b@x.example, c@x.example, d@x.example, "
         L"e@x.example"},
        {"two fit with the rest counted", fold(5), upTo(74),
         L"@x.example replaces 5 addresses: a@x.example, b@x.example, \u2026 and 3 more"},
        {"the last fits without a count", fold(2), upTo(59),
         L"@x.example replaces 2 addresses: a@x.example, b@x.example"},
        {"none fits", fold(5), upTo(40), L"@x.example replaces 5 addresses"},
        {"one address", fold(1), upTo(1000), L"@x.example replaces 1 address: a@x.example"},
        {"nothing to replace", fold(0), upTo(1000), L"@x.example"},
        {"many", TidyChange{Rows(1234, L"z@x.example"), L"@x.example", {}}, upTo(70),
         L"@x.example replaces 1,234 addresses: z@x.example, \u2026 and 1,233 more"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::wstring line =
            DescribeTidyChange(TidyGroup::FoldedDomains, test.change, test.fits);
        EXPECT_EQ(line, test.line);
        if (test.fits) {
            EXPECT_TRUE(test.fits(line)) << "the line itself fits";
        }
    }
}

// The rules written out plainly, one choice of groups at a time.
Rows ReferenceApply(const Rows& entries, const std::set<std::wstring>& safe, bool covered,
                    bool folded) {
    std::set<std::wstring> listed;
    for (const std::wstring& entry : entries)
        if (entry.size() > 1 && entry[0] == L'@' && entry.find(L'@', 1) == entry.npos)
            listed.insert(Lower(entry));
    std::map<std::wstring, size_t> counts;
    for (const std::wstring& entry : entries)
        if (const std::wstring domain = DomainKey(entry);
            !domain.empty() && !listed.contains(domain))
            ++counts[domain];
    Rows result;
    std::set<std::wstring> emitted;
    for (const std::wstring& entry : entries) {
        const std::wstring domain = DomainKey(entry);
        if (domain.empty())
            result.push_back(entry);
        else if (listed.contains(domain)) {
            if (!covered)
                result.push_back(entry);
        } else if (folded && counts[domain] >= 3 && !safe.contains(domain)) {
            if (emitted.insert(domain).second)
                result.push_back(domain);
        } else
            result.push_back(entry);
    }
    return result;
}

TEST(ListTidy, RandomListsMatchAPlainReference) {
    std::mt19937 random(20240611);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    auto randomCase = [&](std::wstring text) {
        for (wchar_t& c : text)
            if (c >= L'a' && c <= L'z' && pick(4) == 0)
                c = static_cast<wchar_t>(c - L'a' + L'A');
        return text;
    };
    for (int round = 0; round < 3; ++round) {
        Rows entries, duplicates;
        std::set<std::wstring> seen;
        while (entries.size() < 3000) {
            const std::wstring domain = L"d" + std::to_wstring(pick(400)) + L".example";
            std::wstring entry = pick(12) == 0   ? L"@" + domain
                                 : pick(40) == 0 ? L"x@" + std::to_wstring(pick(9)) + L"@" + domain
                                                 : L"u" + std::to_wstring(pick(50)) + L"@" + domain;
            entry = randomCase(entry);
            (seen.insert(Lower(entry)).second ? entries : duplicates).push_back(entry);
        }
        std::wstring safeSenders, safeDomains;
        std::set<std::wstring> safe;
        for (int i = 0; i < 40; ++i) {
            const std::wstring domain = L"d" + std::to_wstring(pick(400)) + L".example";
            safe.insert(L"@" + domain);
            if (i % 2)
                safeDomains += randomCase(L"@" + domain) + L";";
            else
                safeSenders += randomCase(i % 4 ? domain : L"@" + domain) + L";";
        }
        const TidyProposals p = Propose(entries, duplicates, safeSenders, safeDomains);
        EXPECT_EQ(p[kDuplicates].entriesSaved, duplicates.size());
        for (int mask = 0; mask < 4; ++mask) {
            const bool covered = mask & 1, folded = mask & 2;
            const Rows applied = ApplyTidy(entries, p, {true, covered, folded});
            EXPECT_EQ(applied, ReferenceApply(entries, safe, covered, folded)) << round << mask;
            const size_t bytes =
                (covered ? p[kCovered].bytesSaved : 0) + (folded ? p[kFolded].bytesSaved : 0);
            EXPECT_EQ(Bytes(applied), Bytes(entries) - bytes) << round << mask;
        }
    }
}

} // namespace
} // namespace sw
