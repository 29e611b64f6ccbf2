#include "manager/list_tidy.h"

#include "platform/ascii_case.h"
#include "store/list_capacity.h"
#include "store/list_text.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace sw {
namespace {

// A fold names this many addresses in full; a longer one names one fewer and
// counts the rest, so "and 1 more" never appears.
constexpr size_t kFoldNamesShown = 4;

// Hashing and equality for texts that differ in ASCII letter case only, so
// that entries and domains are looked up as views of the entries themselves:
// a list of 65,535 entries is indexed without a lower-cased copy of each.
// The hash is deliberately not noexcept: that makes libstdc++ keep each key's
// hash in its node instead of hashing the keys again while it walks a bucket.
struct FoldedHash {
    size_t operator()(std::wstring_view text) const { return HashIgnoringAsciiCase(text); }
};
struct FoldedEqual {
    bool operator()(std::wstring_view a, std::wstring_view b) const noexcept {
        return EqualsIgnoringAsciiCase(a, b);
    }
};
template <typename T>
using FoldedMap = std::unordered_map<std::wstring_view, T, FoldedHash, FoldedEqual>;
using FoldedSet = std::unordered_set<std::wstring_view, FoldedHash, FoldedEqual>;

// What an entry takes in the stored list: its UTF-16 code units and a ";".
size_t StoredBytes(std::wstring_view entry) noexcept {
    return (entry.size() + 1) * 2;
}

// The "@domain" part of an address Tidy may remove: one "@", something before
// it and a domain after it. Empty for any other entry: what Outlook makes of
// "a@b@c.example" or "a@" is not something a domain entry can be shown to
// cover, so such entries are left as they are.
std::wstring_view AddressDomain(std::wstring_view entry) noexcept {
    const size_t at = entry.find(L'@');
    if (at == entry.npos || at == 0 || at + 1 == entry.size() ||
        entry.find(L'@', at + 1) != entry.npos)
        return {};
    return entry.substr(at);
}

// The entry itself if it is a domain entry "@domain", else empty ("@" alone,
// "@a@b", an address).
std::wstring_view DomainEntry(std::wstring_view entry) noexcept {
    if (entry.size() < 2 || entry[0] != L'@' || entry.find(L'@', 1) != entry.npos)
        return {};
    return entry;
}

std::wstring_view TrimmedBlanks(std::wstring_view text) noexcept {
    constexpr std::wstring_view blanks = L" \t\r\n";
    const size_t start = text.find_first_not_of(blanks);
    if (start == text.npos)
        return {};
    return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

// Appends the domains a list text names, as "@domain": entries "@domain" and
// bare "domain" (the form Safe Senders also accepts). Addresses name none.
void AddDomainsNamedIn(std::wstring_view text, std::vector<std::wstring>& domains) {
    CListTokenizer tokenizer(text, L";");
    std::wstring token;
    while (tokenizer.NextToken(token)) {
        const std::wstring_view entry = TrimmedBlanks(token);
        if (entry.empty() || entry == L"@")
            continue;
        if (entry[0] == L'@')
            domains.emplace_back(entry);
        else if (entry.find(L'@') == entry.npos)
            domains.push_back(L"@" + std::wstring(entry));
    }
}

void ProposeDuplicates(const std::vector<std::wstring>& entries,
                       const std::vector<std::wstring>& duplicates, TidyProposal& proposal) {
    if (duplicates.empty())
        return;
    // Indexes the few copies rather than the whole list, then finds the first
    // entry of each in one pass.
    constexpr size_t kNone = static_cast<size_t>(-1);
    FoldedMap<size_t> keptOf;
    keptOf.reserve(duplicates.size());
    for (const std::wstring& copy : duplicates) {
        if (!copy.empty())
            keptOf.try_emplace(copy, kNone);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (const auto copy = keptOf.find(entries[i]);
            copy != keptOf.end() && copy->second == kNone)
            copy->second = i;
    }
    for (const std::wstring& copy : duplicates) {
        // A "copy" of nothing listed is the only one of its kind: dropping it
        // would unblock its sender.
        const auto kept = copy.empty() ? keptOf.end() : keptOf.find(copy);
        if (kept == keptOf.end() || kept->second == kNone)
            continue;
        proposal.changes.push_back({{copy}, {}, entries[kept->second]});
        proposal.bytesSaved += StoredBytes(copy);
        ++proposal.entriesSaved;
    }
}

// The addresses at one domain that no domain entry covers, in list order.
struct DomainAddresses {
    std::wstring_view domain;
    std::vector<size_t> entries;
};

void ProposeCoveredAndFolded(const TidyInput& input, const std::vector<std::wstring>& entries,
                             TidyProposal& covered, TidyProposal& folded) {
    FoldedMap<size_t> domainEntries; // the first entry of each domain
    for (size_t i = 0; i < entries.size(); ++i) {
        if (const std::wstring_view domain = DomainEntry(entries[i]); !domain.empty())
            domainEntries.try_emplace(domain, i);
    }

    // One pass: an address is either covered, or counts towards a fold of its
    // domain, which by the same token has no domain entry yet.
    FoldedMap<size_t> domainIndex; // index in byDomain
    domainIndex.reserve(entries.size());
    std::vector<DomainAddresses> byDomain;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::wstring_view domain = AddressDomain(entries[i]);
        if (domain.empty())
            continue;
        if (const auto domainEntry = domainEntries.find(domain);
            domainEntry != domainEntries.end()) {
            covered.changes.push_back({{entries[i]}, {}, entries[domainEntry->second]});
            covered.bytesSaved += StoredBytes(entries[i]);
            ++covered.entriesSaved;
            continue;
        }
        const auto [at, isNew] = domainIndex.try_emplace(domain, byDomain.size());
        if (isNew)
            byDomain.push_back({domain, {}});
        byDomain[at->second].entries.push_back(i);
    }

    std::vector<std::wstring> safeNames;
    AddDomainsNamedIn(input.safeSenders, safeNames);
    if (input.safeDomainsOn)
        AddDomainsNamedIn(input.safeDomains, safeNames);
    const FoldedSet safe(safeNames.begin(), safeNames.end());

    const size_t threshold = static_cast<size_t>(std::max(input.foldThreshold, 2));
    for (const DomainAddresses& domain : byDomain) {
        if (domain.entries.size() < threshold || safe.contains(domain.domain))
            continue;
        TidyChange change;
        change.removed.reserve(domain.entries.size());
        size_t bytes = 0;
        for (size_t i : domain.entries) {
            change.removed.push_back(entries[i]);
            bytes += StoredBytes(entries[i]);
        }
        change.added = AsciiCaseFolded(domain.domain);
        // Every address is longer than its "@domain" and there are at least
        // two of them, so this never goes below zero.
        folded.bytesSaved += bytes - StoredBytes(change.added);
        folded.entriesSaved += domain.entries.size() - 1;
        folded.changes.push_back(std::move(change));
    }
}

} // namespace

TidyProposals ProposeTidy(const TidyInput& input) {
    static const std::vector<std::wstring> none;
    const std::vector<std::wstring>& entries = input.entries ? *input.entries : none;
    TidyProposals proposals;
    ProposeDuplicates(entries, input.duplicates ? *input.duplicates : none,
                      proposals[static_cast<size_t>(TidyGroup::CaseDuplicates)]);
    ProposeCoveredAndFolded(input, entries,
                            proposals[static_cast<size_t>(TidyGroup::CoveredAddresses)],
                            proposals[static_cast<size_t>(TidyGroup::FoldedDomains)]);
    return proposals;
}

std::vector<std::wstring> ApplyTidy(const std::vector<std::wstring>& entries,
                                    const TidyProposals& proposals, const TidyChoice& chosen) {
    // Each entry the chosen changes remove, by its exact text, with its change.
    std::unordered_map<std::wstring_view, const TidyChange*> removals;
    removals.reserve(proposals[static_cast<size_t>(TidyGroup::CoveredAddresses)].changes.size() +
                     proposals[static_cast<size_t>(TidyGroup::FoldedDomains)].entriesSaved +
                     proposals[static_cast<size_t>(TidyGroup::FoldedDomains)].changes.size());
    for (TidyGroup group : {TidyGroup::CoveredAddresses, TidyGroup::FoldedDomains}) {
        const size_t index = static_cast<size_t>(group);
        if (!chosen[index])
            continue;
        for (const TidyChange& change : proposals[index].changes) {
            for (const std::wstring& entry : change.removed)
                removals.try_emplace(entry, &change);
        }
    }
    if (removals.empty())
        return entries;

    // The change of each entry; only an address can be removed.
    std::vector<const TidyChange*> changeOf(entries.size(), nullptr);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (AddressDomain(entries[i]).empty())
            continue;
        if (const auto removal = removals.find(entries[i]); removal != removals.end())
            changeOf[i] = removal->second;
    }

    // Every domain entry the result will hold, and whether it is in yet: the
    // listed ones are, the added entry of a change that takes the place of a
    // listed address goes in where the first of them stood.
    FoldedMap<bool> resultDomains;
    for (const std::wstring& entry : entries) {
        if (const std::wstring_view domain = DomainEntry(entry); !domain.empty())
            resultDomains.insert_or_assign(domain, true);
    }
    for (const TidyChange* change : changeOf) {
        if (!change)
            continue;
        if (const std::wstring_view added = DomainEntry(change->added); !added.empty())
            resultDomains.try_emplace(added, false);
    }

    std::vector<std::wstring> result;
    result.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::wstring& entry = entries[i];
        if (!changeOf[i]) {
            result.push_back(entry);
            continue;
        }
        if (const std::wstring_view added = DomainEntry(changeOf[i]->added); !added.empty()) {
            bool& isIn = resultDomains.find(added)->second;
            if (!isIn)
                result.emplace_back(added);
            isIn = true;
        }
        // A removal is made only while the result blocks the address's exact
        // domain, whatever list the proposal was made on.
        if (!resultDomains.contains(AddressDomain(entry)))
            result.push_back(entry);
    }
    return result;
}

std::wstring DescribeTidyChange(TidyGroup group, const TidyChange& change,
                                const std::function<bool(std::wstring_view)>& fits) {
    const std::wstring first = change.removed.empty() ? std::wstring() : change.removed.front();
    switch (group) {
    case TidyGroup::CaseDuplicates:
        return change.kept.empty() ? first + L" (a copy)"
                                   : first + L" (a copy of " + change.kept + L")";
    case TidyGroup::CoveredAddresses: {
        const std::wstring by = change.kept.empty() ? DomainOfAddress(first) : change.kept;
        return by.empty() ? first : first + L" (covered by " + by + L")";
    }
    case TidyGroup::FoldedDomains:
        break;
    }
    const size_t count = change.removed.size();
    if (count == 0)
        return change.added;
    std::wstring line =
        (change.added.empty() ? std::wstring(L"Replaces ") : change.added + L" replaces ") +
        GroupedNumber(count) + (count == 1 ? L" address" : L" addresses");
    const auto more = [](size_t left) { return L", \u2026 and " + GroupedNumber(left) + L" more"; };
    const size_t limit = count <= kFoldNamesShown ? count : kFoldNamesShown - 1;
    size_t named = 0;
    for (; named < count; ++named) {
        std::wstring longer = line + (named == 0 ? L": " : L", ") + change.removed[named];
        const size_t left = count - named - 1;
        if (fits ? !fits(left == 0 ? longer : longer + more(left)) : named == limit)
            break;
        line = std::move(longer);
    }
    if (named > 0 && named < count)
        line += more(count - named);
    return line;
}

} // namespace sw
