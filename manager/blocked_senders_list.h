// The Blocked Senders page's private copy of the list: the entries in order,
// the search and the page's operations on them. No window is involved; the
// page maps rows and buttons onto these calls.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

class BlockedSendersList {
public:
    // Replaces the entries by those of a stored list text. Every entry is put
    // at its sorted place in turn, so the first of several entries that are
    // equal under the order wins. Clears the search and the modified flag.
    void Load(std::wstring_view listText);

    // Puts `text` before the first entry that sorts after it; does nothing
    // (and returns false) when an entry equal under the order is present.
    bool InsertSorted(std::wstring text);

    // Takes `search` as the search text and rebuilds the matches: every entry
    // containing it, letter case significant.
    void ApplyFilter(std::wstring_view search);

    // The rows on show: every entry without a search, else the matches.
    const std::vector<std::wstring>& Shown() const noexcept {
        return m_search.empty() ? m_entries : m_matches;
    }

    // The first shown row from `start` on, wrapping round, whose whole text
    // equals `typed` ignoring ASCII case; -1 when none does.
    int FindRow(std::wstring_view typed, int start) const noexcept;

    // The three buttons. Each returns true when it rebuilt the shown list,
    // which it does whenever the list has been modified, now or before. Rows
    // are shown row numbers in any order; numbers out of range are ignored.
    // Removes the entries on those rows.
    bool RemoveRows(std::span<const int> rows);
    // Replaces `oldText` by `newText` unless the two differ in letter case only.
    bool EditEntry(const std::wstring& oldText, std::wstring newText);
    // Replaces every address entry on those rows by its domain entry.
    bool ConvertRowsToDomain(std::span<const int> rows);

    // Removes every entry equal to one of `texts` under the order (ASCII case
    // ignored) and answers the entries removed, in list order. Rebuilds the
    // shown list when the list has been modified.
    std::vector<std::wstring> RemoveEntries(std::span<const std::wstring> texts);

    // Puts every entry of `entries` that is not listed yet (ASCII case
    // ignored) at its sorted place, the first of equal ones; returns how many
    // were added. Rebuilds the shown list when the list has been modified.
    size_t MergeEntries(std::vector<std::wstring> entries);

    // Replaces the entries by `entries` (any order, the first of equal ones
    // kept) and marks the list modified; with `dropDuplicates` the stored
    // copies that Load passed over are given up too. Rebuilds the shown list.
    void ReplaceEntries(std::vector<std::wstring> entries, bool dropDuplicates);

    // Every non-empty entry followed by ";", the form the profile store keeps.
    std::wstring ListText() const;
    // The UTF-16 bytes and the entries of the list as OK would leave it
    // stored: the working list once modified, else the list as loaded with
    // its copies.
    size_t StoredBytes() const noexcept;
    size_t StoredEntries() const noexcept;
    // Of StoredEntries, the copies Load passed over (see Duplicates), which
    // OK drops once the list is modified: the entries not shown as rows.
    size_t StoredCopies() const noexcept { return m_modified ? 0 : m_duplicates.size(); }

    // Entries of the loaded list equal to a kept one but for letter case, in
    // stored order: the list keeps the first of each.
    const std::vector<std::wstring>& Duplicates() const noexcept { return m_duplicates; }

    const std::vector<std::wstring>& Entries() const noexcept { return m_entries; }
    const std::wstring& Search() const noexcept { return m_search; }
    bool Modified() const noexcept { return m_modified; }

private:
    // Index in m_entries of the entry with exactly this text, or npos.
    size_t FindExact(std::wstring_view text) const noexcept;
    bool RefilterIfModified();
    // Rebuilds m_searchText, m_starts and m_copies from m_entries.
    void Reindex();
    // Indices of the entries containing `search`, ascending.
    std::vector<size_t> FindMatches(std::wstring_view search) const;
    // Gives the strings lent to m_matches back to m_copies and empties it.
    void ReturnMatches() noexcept;

    std::vector<std::wstring> m_entries; // ascending, no two equal under the order
    std::vector<std::wstring> m_matches; // entries containing m_search, in order
    std::vector<std::wstring> m_duplicates;
    std::wstring m_search;
    bool m_modified = false;

    // A search runs on every keystroke over all entries, so it reads them
    // from one text, entry i from m_starts[i] up to m_starts[i + 1], and it
    // copies none: m_copies holds a copy of every entry, and the matches are
    // those copies, lent to m_matches (m_lentFrom[k] is the entry of
    // m_matches[k]) until the next search. Both are rebuilt once after the
    // entries change, when m_stale is set.
    std::wstring m_searchText;
    std::vector<size_t> m_starts;
    std::vector<std::wstring> m_copies;
    std::vector<size_t> m_lentFrom; // empty while m_matches own their strings
    bool m_stale = true;
};

} // namespace sw
