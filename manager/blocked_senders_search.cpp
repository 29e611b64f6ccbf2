// The Blocked Senders page's search: every keystroke looks for the text in
// all entries at once, in one joined copy of them.
#include "manager/blocked_senders_list.h"

#include "store/list_text.h"

namespace sw {

void BlockedSendersList::ApplyFilter(std::wstring_view search) {
    if (m_stale)
        Reindex();
    std::vector<size_t> found;
    if (!search.empty())
        found = FindMatches(search);
    std::wstring searchText(search);
    m_matches.reserve(found.size());
    // Nothing below can fail: the matches change all at once or not at all.
    ReturnMatches();
    for (size_t entry : found)
        m_matches.push_back(std::move(m_copies[entry]));
    m_lentFrom = std::move(found);
    m_search = std::move(searchText);
}

std::vector<size_t> BlockedSendersList::FindMatches(std::wstring_view search) const {
    // An occurrence in the joined text is a match when it lies within one
    // entry; the search then goes on at the next entry.
    std::vector<size_t> found;
    const std::wstring_view text(m_searchText);
    size_t entry = 0;
    size_t from = 0;
    for (size_t at = text.find(search); at != std::wstring_view::npos;
         at = text.find(search, from)) {
        while (m_starts[entry + 1] <= at)
            ++entry;
        if (at + search.size() <= m_starts[entry + 1]) {
            found.push_back(entry);
            from = m_starts[entry + 1];
        } else {
            from = at + 1;
        }
    }
    return found;
}

void BlockedSendersList::ReturnMatches() noexcept {
    for (size_t k = 0; k < m_lentFrom.size(); ++k)
        m_copies[m_lentFrom[k]] = std::move(m_matches[k]);
    m_lentFrom.clear();
    m_matches.clear();
}

void BlockedSendersList::Reindex() {
    size_t length = 0;
    for (const std::wstring& entry : m_entries)
        length += entry.size();
    std::wstring text;
    text.reserve(length);
    std::vector<size_t> starts;
    starts.reserve(m_entries.size() + 1);
    for (const std::wstring& entry : m_entries) {
        starts.push_back(text.size());
        text.append(entry);
    }
    starts.push_back(text.size());
    std::vector<std::wstring> copies(m_entries);

    // The shown matches keep their own strings; those lent from the old
    // copies are theirs from now on.
    m_lentFrom.clear();
    m_searchText = std::move(text);
    m_starts = std::move(starts);
    m_copies = std::move(copies);
    m_stale = false;
}

int BlockedSendersList::FindRow(std::wstring_view typed, int start) const noexcept {
    const std::vector<std::wstring>& shown = Shown();
    const size_t count = shown.size();
    size_t row =
        (start < 0 || static_cast<size_t>(start) >= count) ? 0 : static_cast<size_t>(start);
    for (size_t step = 0; step < count; ++step, row = (row + 1) % count) {
        if (EqualsIgnoringAsciiCase(typed, shown[row]))
            return static_cast<int>(row);
    }
    return -1;
}

} // namespace sw
