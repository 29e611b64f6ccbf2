#include "commands/sender_filter.h"

#include "commands/sender_address.h"
#include "store/list_text.h"

namespace sw {

std::optional<std::wstring> SenderFilter(std::wstring_view entry) {
    const size_t at = entry.find(L'@');
    if (at == std::wstring_view::npos || !IsListableAddress(entry) ||
        entry.find(L'"') != std::wstring_view::npos)
        return std::nullopt;
    const bool domain = at == 0;
    if (domain && (entry.size() == 1 || entry.find_first_of(L"%_[]") != std::wstring_view::npos))
        return std::nullopt;

    std::wstring filter = L"@SQL=\"";
    filter += kSenderAddressProperty;
    filter += domain ? L"\" LIKE '%" : L"\" = '";
    for (wchar_t c : entry) {
        if (c == L'\'')
            filter += L'\'';
        filter += c;
    }
    filter += L'\'';
    return filter;
}

bool EntryCoversSender(std::wstring_view entry, std::wstring_view sender) {
    if (entry.empty() || sender.empty())
        return false;
    if (entry.front() != L'@')
        return EqualsIgnoringAsciiCase(entry, sender);
    return sender.size() > entry.size() &&
           EqualsIgnoringAsciiCase(entry, sender.substr(sender.size() - entry.size())) &&
           sender.find(L'@') == sender.size() - entry.size();
}

} // namespace sw
