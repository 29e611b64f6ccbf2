#include "store/list_text.h"

#include <algorithm>

namespace sw {

std::wstring DomainOfAddress(std::wstring_view address) {
    size_t at = address.find(L'@');
    if (at == std::wstring_view::npos)
        return {};
    return std::wstring(address.substr(at));
}

bool ListContains(std::wstring_view entry, std::wstring_view list) {
    // The first entry: compare "entry;" with as many leading characters of the
    // list, ignoring ASCII case.
    std::wstring terminated;
    terminated.reserve(entry.size() + 2);
    terminated.append(entry).push_back(L';');
    if (EqualsIgnoringAsciiCase(terminated, list.substr(0, terminated.size())))
        return true;

    // Any entry: ";entry;" anywhere, exactly.
    terminated.insert(terminated.begin(), L';');
    return list.find(terminated) != std::wstring_view::npos;
}

bool AppendMissing(std::wstring& list, const std::vector<std::wstring>& entries) {
    bool appended = false;
    for (const std::wstring& entry : entries) {
        if (!ListContains(entry, list)) {
            list.append(entry).push_back(L';');
            appended = true;
        }
    }
    return appended;
}

std::wstring ListWithout(std::wstring_view list, const std::vector<std::wstring>& sortedLeftOut) {
    std::wstring kept;
    kept.reserve(list.size() + 1);
    CListTokenizer entries(list, L";");
    for (std::wstring entry; entries.NextToken(entry);) {
        if (!std::binary_search(sortedLeftOut.begin(), sortedLeftOut.end(), entry))
            kept.append(entry).push_back(L';');
    }
    return kept;
}

CListTokenizer::CListTokenizer(std::wstring_view text, std::wstring_view delimiters)
    : m_text(text), m_delimiters(delimiters) {}

bool CListTokenizer::IsDelimiter(wchar_t c) const noexcept {
    return m_delimiters.find(c) != std::wstring::npos;
}

bool CListTokenizer::NextToken(std::wstring& out) {
    out.clear();
    while (m_position < m_text.size() && IsDelimiter(m_text[m_position]))
        ++m_position;
    if (m_position >= m_text.size())
        return false;
    size_t start = m_position;
    while (m_position < m_text.size() && !IsDelimiter(m_text[m_position]))
        ++m_position;
    out.assign(m_text, start, m_position - start);
    return true;
}

} // namespace sw
