#include "manager/safe_domains.h"

#include "store/list_text.h"

#include <windows.h>

#include <cwctype>

namespace sw {
namespace {

std::wstring_view Trimmed(std::wstring_view text) noexcept {
    while (!text.empty() && std::iswspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::vector<std::wstring> SafeDomainRows(std::wstring_view text) {
    std::vector<std::wstring> rows;
    CListTokenizer tokenizer(text, L";");
    std::wstring token;
    while (tokenizer.NextToken(token))
        rows.push_back(token);
    return rows;
}

bool HasRowStartingWith(const std::vector<std::wstring>& rows, std::wstring_view text) noexcept {
    for (const std::wstring& row : rows) {
        if (row.size() < text.size())
            continue;
        if (text.empty() ||
            CompareStringOrdinal(row.data(), static_cast<int>(text.size()), text.data(),
                                 static_cast<int>(text.size()), TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

std::wstring BuildSafeDomains(const std::vector<std::wstring>& rows) {
    std::wstring text;
    for (const std::wstring& row : rows) {
        std::wstring_view entry = Trimmed(row);
        if (!entry.empty())
            text.append(entry).push_back(L';');
    }
    while (!text.empty() && text.back() == L';')
        text.pop_back();
    return text;
}

} // namespace sw
