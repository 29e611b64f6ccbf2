// The Blocked Senders entries Outlook's junk filter has not read yet. The
// filter reads the list when Outlook starts and keeps its own copy, so an
// entry written since then reaches it only at the next start. What the list
// held before the add-in first wrote it stands for what the filter knows;
// after each write, the entries of the written list that it lacks are new.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace sw {

class NewBlockedEntries {
public:
    // Whether the list as the filter knows it has been taken.
    bool HasBaseline() const noexcept { return m_hasBaseline; }
    // Takes `stored` (terminator form), the list before the first write, as
    // what the filter knows.
    void SetBaseline(std::wstring_view stored);
    // `written` (terminator form) is now the stored list: its entries the
    // baseline lacks are the new ones; without a baseline none is.
    void NoteWritten(std::wstring_view written);

    bool empty() const noexcept { return m_new.empty(); }
    size_t size() const noexcept { return m_new.size(); }
    // The new entry that blocks `sender`: the address itself, or the domain
    // entry "@domain" of its domain, letter case aside (ASCII). Empty when
    // none does.
    std::wstring Match(std::wstring_view sender) const;

    // Forgets the baseline and the new entries.
    void Clear() noexcept;

private:
    bool m_hasBaseline = false;
    // Entries folded to lower case (ASCII).
    std::unordered_set<std::wstring> m_baseline;
    // Folded entry -> the entry as the list holds it.
    std::unordered_map<std::wstring, std::wstring> m_new;
};

} // namespace sw
