#include "manager/blocked_senders_list.h"

#include "manager/entry_order.h"
#include "platform/ascii_case.h"
#include "store/list_text.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace sw {
namespace {

// Converting many rows puts entries in one by one: a tree keeps each
// insertion logarithmic where the vector would move half its entries.
using EntrySet = std::set<std::wstring, AsciiCaseLess>;

std::vector<std::wstring> TakeEntries(EntrySet& set) {
    std::vector<std::wstring> entries;
    entries.reserve(set.size());
    while (!set.empty())
        entries.push_back(std::move(set.extract(set.begin()).value()));
    return entries;
}

} // namespace

void BlockedSendersList::Load(std::wstring_view listText) {
    // The order folds A-Z to a-z and compares code units: comparing views of
    // a folded copy of the text gives it with plain (vectorised) compares.
    const std::wstring folded = AsciiCaseFolded(listText);
    // Each entry's first eight folded units packed into two integers decide
    // most comparisons without reading the text; 0 pads a shorter entry,
    // which then sorts first, as the order wants.
    struct Piece {
        std::uint64_t head;
        std::uint64_t next;
        size_t offset;
        size_t length;
    };
    const auto pack = [&](size_t offset, size_t length, size_t from) {
        std::uint64_t key = 0;
        for (size_t k = from; k < from + 4; ++k)
            key = (key << 16) | (k < length ? static_cast<std::uint16_t>(folded[offset + k]) : 0u);
        return key;
    };
    std::vector<Piece> pieces;
    pieces.reserve(static_cast<size_t>(std::count(listText.begin(), listText.end(), L';')) + 1);
    for (size_t start = 0, i = 0; i <= listText.size(); ++i) {
        if (i == listText.size() || listText[i] == L';') {
            if (i > start) {
                const size_t length = i - start;
                pieces.push_back({pack(start, length, 0), pack(start, length, 4), start, length});
            }
            start = i + 1;
        }
    }
    const std::wstring_view foldedView(folded);
    const auto key = [&](const Piece& piece) {
        return foldedView.substr(piece.offset, piece.length);
    };
    // A stable sort keeps entries that are equal under the order in their
    // stored order; keeping the first of each run then keeps what putting
    // them in one at a time would.
    std::stable_sort(pieces.begin(), pieces.end(), [&](const Piece& a, const Piece& b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.next != b.next)
            return a.next < b.next;
        // The first eight units agree: the rest decides.
        return key(a).substr(std::min<size_t>(8, a.length)) <
               key(b).substr(std::min<size_t>(8, b.length));
    });
    std::vector<std::wstring> sorted;
    sorted.reserve(pieces.size());
    for (const Piece& piece : pieces)
        sorted.emplace_back(listText.substr(piece.offset, piece.length));
    std::vector<std::wstring> duplicates;
    size_t added = 0;
    std::vector<std::wstring> entries =
        MergeSortedEntries({}, std::move(sorted), added, &duplicates);
    m_entries = std::move(entries);
    m_duplicates = std::move(duplicates);
    m_lentFrom.clear();
    m_matches.clear();
    m_search.clear();
    m_modified = false;
    m_stale = true;
    // Now rather than on the first keystroke, which must not wait for it.
    Reindex();
}

bool BlockedSendersList::InsertSorted(std::wstring text) {
    auto place = std::lower_bound(m_entries.begin(), m_entries.end(), text, AsciiCaseLess{});
    if (place != m_entries.end() && CompareIgnoringAsciiCase(*place, text) == 0)
        return false;
    m_entries.insert(place, std::move(text));
    m_stale = true;
    return true;
}

size_t BlockedSendersList::FindExact(std::wstring_view text) const noexcept {
    auto found = std::lower_bound(m_entries.begin(), m_entries.end(), text, AsciiCaseLess{});
    if (found == m_entries.end() || *found != text)
        return std::wstring::npos;
    return static_cast<size_t>(found - m_entries.begin());
}

bool BlockedSendersList::RefilterIfModified() {
    if (!m_modified)
        return false;
    const std::wstring search = m_search;
    ApplyFilter(search);
    return true;
}

bool BlockedSendersList::RemoveRows(std::span<const int> rows) {
    // The shown rows are distinct entries, so marking them and compacting
    // once gives what deleting them one at a time from the bottom up does.
    const std::vector<std::wstring>& shown = Shown();
    std::vector<bool> doomed(m_entries.size(), false);
    bool removing = false;
    for (int row : rows) {
        if (row < 0 || static_cast<size_t>(row) >= shown.size())
            continue;
        const size_t index = FindExact(shown[static_cast<size_t>(row)]);
        if (index != std::wstring::npos) {
            doomed[index] = true;
            removing = true;
        }
    }
    if (removing) {
        size_t kept = 0;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (!doomed[i]) {
                if (kept != i)
                    m_entries[kept] = std::move(m_entries[i]);
                ++kept;
            }
        }
        m_entries.resize(kept);
        m_modified = true;
        m_stale = true;
    }
    return RefilterIfModified();
}

std::vector<std::wstring> BlockedSendersList::RemoveEntries(std::span<const std::wstring> texts) {
    std::vector<bool> doomed(m_entries.size(), false);
    for (const std::wstring& text : texts) {
        const auto found =
            std::lower_bound(m_entries.begin(), m_entries.end(), text, AsciiCaseLess{});
        if (found != m_entries.end() && CompareIgnoringAsciiCase(*found, text) == 0)
            doomed[static_cast<size_t>(found - m_entries.begin())] = true;
    }
    std::vector<std::wstring> removed;
    std::vector<std::wstring> kept;
    kept.reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i)
        (doomed[i] ? removed : kept).push_back(m_entries[i]);
    if (removed.empty())
        return removed;
    // Nothing below can fail: the list changes all at once or not at all.
    m_entries = std::move(kept);
    m_modified = true;
    m_stale = true;
    RefilterIfModified();
    return removed;
}

bool BlockedSendersList::EditEntry(const std::wstring& oldText, std::wstring newText) {
    if (!EqualsIgnoringAsciiCase(oldText, newText)) {
        const size_t index = FindExact(oldText);
        if (index != std::wstring::npos) {
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
            m_stale = true;
            InsertSorted(std::move(newText));
        }
        m_modified = true;
    }
    return RefilterIfModified();
}

bool BlockedSendersList::ConvertRowsToDomain(std::span<const int> rows) {
    // The texts of the rows, in row order, before anything changes.
    const std::vector<std::wstring>& shown = Shown();
    std::vector<int> sorted(rows.begin(), rows.end());
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<std::wstring> texts;
    for (int row : sorted) {
        if (row >= 0 && static_cast<size_t>(row) < shown.size())
            texts.push_back(shown[static_cast<size_t>(row)]);
    }

    const bool anyAddress = std::any_of(texts.begin(), texts.end(), [](const std::wstring& t) {
        return t.find(L'@') != std::wstring::npos;
    });
    if (anyAddress) {
        // Work on a copy so that a failure half-way leaves the entries intact.
        EntrySet set;
        for (const std::wstring& entry : m_entries)
            set.insert(set.end(), entry);
        for (const std::wstring& text : texts) {
            std::wstring domain = DomainOfAddress(text);
            if (domain.empty())
                continue;
            auto found = set.find(text);
            if (found != set.end() && *found == text) {
                set.erase(found);
                set.insert(std::move(domain));
            }
            m_modified = true;
        }
        m_entries = TakeEntries(set);
        m_stale = true;
    }
    return RefilterIfModified();
}

size_t BlockedSendersList::MergeEntries(std::vector<std::wstring> entries) {
    // Sorted, then merged in one pass: one entry at a time would move half
    // the list for each.
    std::stable_sort(entries.begin(), entries.end(), AsciiCaseLess{});
    size_t added = 0;
    std::vector<std::wstring> merged = MergeSortedEntries(m_entries, std::move(entries), added);
    if (added == 0)
        return 0;
    // Nothing below can fail: the list changes all at once or not at all.
    m_entries = std::move(merged);
    m_modified = true;
    m_stale = true;
    RefilterIfModified();
    return added;
}

void BlockedSendersList::ReplaceEntries(std::vector<std::wstring> entries, bool dropDuplicates) {
    std::stable_sort(entries.begin(), entries.end(), AsciiCaseLess{});
    size_t added = 0;
    m_entries = MergeSortedEntries({}, std::move(entries), added);
    if (dropDuplicates)
        m_duplicates.clear();
    m_modified = true;
    m_stale = true;
    RefilterIfModified();
}

size_t BlockedSendersList::StoredEntries() const noexcept {
    size_t count = 0;
    for (const std::wstring& entry : m_entries)
        count += entry.empty() ? 0 : 1;
    return count + StoredCopies();
}

size_t BlockedSendersList::StoredBytes() const noexcept {
    size_t units = 0;
    for (const std::wstring& entry : m_entries)
        units += entry.empty() ? 0 : entry.size() + 1;
    if (!m_modified) {
        for (const std::wstring& entry : m_duplicates)
            units += entry.size() + 1;
    }
    // The stored value ends with a 0; an empty list leaves no value to count.
    return units == 0 ? 0 : (units + 1) * sizeof(wchar_t);
}

std::wstring BlockedSendersList::ListText() const {
    size_t length = 0;
    for (const std::wstring& entry : m_entries)
        length += entry.size() + 1;
    std::wstring text;
    text.reserve(length);
    for (const std::wstring& entry : m_entries) {
        if (!entry.empty())
            text.append(entry).push_back(L';');
    }
    return text;
}

} // namespace sw
