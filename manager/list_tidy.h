// Tidy: proposals that make a Blocked Senders list smaller without blocking
// less, in three groups the user chooses from. No window is involved; the
// Tidy dialog shows these proposals and the page applies the chosen ones.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

enum class TidyGroup {
    CaseDuplicates = 0,   // entries equal but for ASCII letter case: keep the first
    CoveredAddresses = 1, // addresses whose exact domain entry is on the list
    FoldedDomains = 2,    // N or more addresses at a domain folded into "@domain"
};
inline constexpr size_t kTidyGroupCount = 3;
inline constexpr int kDefaultFoldThreshold = 3;

// One proposed change: the entries it removes and the entry it adds (empty
// when it adds none).
struct TidyChange {
    std::vector<std::wstring> removed;
    std::wstring added;
    // The listed entry that makes the removal safe, as listed: the copy kept
    // of a duplicate, the domain entry covering an address; empty for a fold.
    std::wstring kept;
};

// One group's proposal and what it saves in the stored list, where every
// entry takes its UTF-16 code units and a ";".
struct TidyProposal {
    std::vector<TidyChange> changes;
    size_t bytesSaved = 0;
    size_t entriesSaved = 0;
};

using TidyProposals = std::array<TidyProposal, kTidyGroupCount>;
using TidyChoice = std::array<bool, kTidyGroupCount>;

struct TidyInput {
    // The list, no two entries equal but for ASCII case, in any order.
    const std::vector<std::wstring>* entries = nullptr;
    // Further copies of entries, equal to one of `entries` but for case,
    // that the stored list holds (the page keeps the first of each).
    const std::vector<std::wstring>* duplicates = nullptr;
    // The Safe Senders list as stored ("a@x.example;@y.example;").
    std::wstring safeSenders;
    // The safe-domain setting ("@gmail.com;@yahoo.com"), consulted only
    // while `safeDomainsOn`.
    std::wstring safeDomains;
    bool safeDomainsOn = true;
    // Folding needs at least this many listed addresses at one domain.
    int foldThreshold = kDefaultFoldThreshold;
};

// The three groups' proposals on the same list. The groups never touch the
// same entry, so any choice of them can be applied together and their
// savings add up.
//
// Only addresses with exactly one "@", something before it and a domain after
// it are ever removed or folded, and only domain entries "@domain" with no
// further "@" cover them; every other entry is left alone. Domains compare
// without regard to ASCII case. Duplicates come in the order given, one change
// each, skipping any that is a copy of no entry; covered addresses in list
// order; folds in the list order of their first address, each removing its
// addresses in list order.
TidyProposals ProposeTidy(const TidyInput& input);

// `entries` with the chosen groups' changes made (the duplicates group
// changes nothing here: its copies are not in `entries`). Kept entries stay
// in their order; a fold's domain entry takes the place of its first address.
// An address is removed only while the result holds its exact domain entry,
// so even proposals made on another list never make it block less.
std::vector<std::wstring> ApplyTidy(const std::vector<std::wstring>& entries,
                                    const TidyProposals& proposals, const TidyChoice& chosen);

// One line of the dialog's preview for a change of `group`, for example
// "Ann@Spam.example (a copy of ann@spam.example)",
// "ann@spam.example (covered by @spam.example)" or
// "@x.example replaces 5 addresses: a@x.example, b@x.example, … and 3 more".
// A fold names the domain entry it adds and how many addresses it replaces,
// then as many of them as `fits` accepts the whole line with, "… and N
// more" included; without `fits`, four in full, or three of a longer fold.
std::wstring DescribeTidyChange(TidyGroup group, const TidyChange& change,
                                const std::function<bool(std::wstring_view)>& fits = {});

} // namespace sw
