#include "store/new_entries.h"

#include "store/list_text.h"

namespace sw {
namespace {

std::wstring Folded(std::wstring_view text) {
    std::wstring folded(text);
    for (wchar_t& c : folded) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return folded;
}

// Calls `visit` with each entry of a list in terminator form; a trailing
// piece without its ";" is no entry.
template <typename Visit> void ForEachEntry(std::wstring_view list, Visit visit) {
    size_t start = 0;
    for (size_t end = list.find(L';'); end != std::wstring_view::npos;
         start = end + 1, end = list.find(L';', start)) {
        if (end > start)
            visit(list.substr(start, end - start));
    }
}

} // namespace

void NewBlockedEntries::SetBaseline(std::wstring_view stored) {
    std::unordered_set<std::wstring> baseline;
    ForEachEntry(stored, [&](std::wstring_view entry) { baseline.insert(Folded(entry)); });
    m_baseline = std::move(baseline);
    m_hasBaseline = true;
}

void NewBlockedEntries::NoteWritten(std::wstring_view written) {
    if (!m_hasBaseline)
        return;
    std::unordered_map<std::wstring, std::wstring> added;
    ForEachEntry(written, [&](std::wstring_view entry) {
        std::wstring folded = Folded(entry);
        if (!m_baseline.contains(folded))
            added.try_emplace(std::move(folded), entry);
    });
    m_new = std::move(added);
}

std::wstring NewBlockedEntries::Match(std::wstring_view sender) const {
    if (m_new.empty() || sender.empty())
        return {};
    if (const auto found = m_new.find(Folded(sender)); found != m_new.end())
        return found->second;
    const std::wstring domain = DomainOfAddress(sender);
    if (domain.size() < 2)
        return {};
    if (const auto found = m_new.find(Folded(domain)); found != m_new.end())
        return found->second;
    return {};
}

void NewBlockedEntries::Clear() noexcept {
    m_hasBaseline = false;
    m_baseline.clear();
    m_new.clear();
}

} // namespace sw
