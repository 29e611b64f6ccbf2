// The Blocked Senders entries Outlook's junk filter has not read yet. The
// filter reads the list when Outlook starts and keeps its own copy, so an
// entry written since then reaches it only at the next start. What the list
// held before the add-in first wrote it stands for what the filter knows;
// after each write, the entries of the written list that it lacks are new.
#pragma once

#include "store/list_index.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

class NewBlockedEntries {
public:
    NewBlockedEntries() = default;
    NewBlockedEntries(const NewBlockedEntries& other);
    NewBlockedEntries& operator=(const NewBlockedEntries& other);

    // Whether the list as the filter knows it has been taken.
    bool HasBaseline() const noexcept { return m_baseline != nullptr; }
    // Takes `stored` (terminator form), the list before the first write, as
    // what the filter knows, without the entries of `excluded` (ASCII case
    // aside): those the add-in wrote itself, which the filter has not read.
    void SetBaseline(std::wstring_view stored, const std::vector<std::wstring>& excluded = {});
    // `written` (terminator form) is now the stored list: its entries the
    // baseline lacks are the new ones; without a baseline none is.
    void NoteWritten(std::wstring_view written);

    bool empty() const noexcept { return m_new.empty(); }
    size_t size() const noexcept { return m_new.size(); }
    // The new entry that blocks `sender`: the address itself, or the domain
    // entry "@domain" of its domain, letter case aside (ASCII), as the list
    // holds it. Empty when none does.
    std::wstring Match(std::wstring_view sender) const;

    // Forgets the baseline and the new entries.
    void Clear() noexcept;

private:
    struct Entry {
        size_t offset;
        size_t length;
    };
    std::wstring_view Folded(const Entry& entry) const noexcept {
        return std::wstring_view(m_newFolded).substr(entry.offset, entry.length);
    }
    // The new entry whose folded text is `folded`, or null.
    const Entry* Find(std::wstring_view folded) const noexcept;

    // The baseline, folded to lower case (ASCII) and indexed: every test
    // costs the same however long the list.
    std::unique_ptr<CListIndex> m_baseline;
    // The new entries as the list holds them and folded, one after another,
    // and where each is in both, sorted by the folded text.
    std::wstring m_newText;
    std::wstring m_newFolded;
    std::vector<Entry> m_new;
    // The list as it was last written.
    std::wstring m_written;
};

} // namespace sw
