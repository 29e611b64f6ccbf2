#include "store/new_entries.h"

#include "platform/ascii_case.h"
#include "store/list_text.h"

#include <algorithm>

namespace sw {

NewBlockedEntries::NewBlockedEntries(const NewBlockedEntries& other)
    : m_baseline(other.m_baseline ? std::make_unique<CListIndex>(other.m_baseline->Text())
                                  : nullptr),
      m_newText(other.m_newText), m_newFolded(other.m_newFolded), m_new(other.m_new),
      m_written(other.m_written) {}

NewBlockedEntries& NewBlockedEntries::operator=(const NewBlockedEntries& other) {
    if (this != &other) {
        NewBlockedEntries copy(other);
        std::swap(m_baseline, copy.m_baseline);
        std::swap(m_newText, copy.m_newText);
        std::swap(m_newFolded, copy.m_newFolded);
        std::swap(m_new, copy.m_new);
        std::swap(m_written, copy.m_written);
    }
    return *this;
}

void NewBlockedEntries::SetBaseline(std::wstring_view stored,
                                    const std::vector<std::wstring>& excluded) {
    std::wstring folded = AsciiCaseFolded(stored);
    if (!excluded.empty()) {
        std::vector<std::wstring> left;
        left.reserve(excluded.size());
        for (const std::wstring& entry : excluded)
            left.push_back(AsciiCaseFolded(entry));
        std::sort(left.begin(), left.end());
        folded = ListWithout(folded, left);
    }
    m_baseline = std::make_unique<CListIndex>(std::move(folded));
}

void NewBlockedEntries::NoteWritten(std::wstring_view written) {
    if (!m_baseline)
        return;
    std::wstring newText;
    std::wstring newFolded;
    std::vector<Entry> entries;
    // A command appends to the list it wrote last: the entries noted then
    // stay, and only what follows them is tested.
    size_t from = 0;
    if (!m_written.empty() && m_written.back() == L';' && written.starts_with(m_written)) {
        from = m_written.size();
        newText = std::move(m_newText);
        newFolded = std::move(m_newFolded);
        entries = std::move(m_new);
    }
    const std::wstring folded = AsciiCaseFolded(written.substr(from));
    // Entries in terminator form: a trailing piece without its ";" is none.
    size_t start = 0;
    for (size_t end = folded.find(L';'); end != std::wstring::npos;
         start = end + 1, end = folded.find(L';', start)) {
        if (end == start)
            continue;
        const std::wstring_view entry = std::wstring_view(folded).substr(start, end - start);
        if (m_baseline->Contains(entry))
            continue;
        entries.push_back({newFolded.size(), entry.size()});
        newFolded += entry;
        newText += written.substr(from + start, end - start);
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        return std::wstring_view(newFolded).substr(a.offset, a.length) <
               std::wstring_view(newFolded).substr(b.offset, b.length);
    });
    m_newText = std::move(newText);
    m_newFolded = std::move(newFolded);
    m_new = std::move(entries);
    m_written.assign(written);
}

const NewBlockedEntries::Entry* NewBlockedEntries::Find(std::wstring_view folded) const noexcept {
    const auto found = std::lower_bound(
        m_new.begin(), m_new.end(), folded,
        [&](const Entry& entry, std::wstring_view text) { return Folded(entry) < text; });
    return found != m_new.end() && Folded(*found) == folded ? &*found : nullptr;
}

std::wstring NewBlockedEntries::Match(std::wstring_view sender) const {
    if (m_new.empty() || sender.empty())
        return {};
    const std::wstring address = AsciiCaseFolded(sender);
    const Entry* found = Find(address);
    if (!found) {
        const std::wstring domain = DomainOfAddress(address);
        if (domain.size() >= 2)
            found = Find(domain);
    }
    return found ? m_newText.substr(found->offset, found->length) : std::wstring();
}

void NewBlockedEntries::Clear() noexcept {
    m_baseline.reset();
    m_newText.clear();
    m_newFolded.clear();
    m_new.clear();
    m_written.clear();
}

} // namespace sw
