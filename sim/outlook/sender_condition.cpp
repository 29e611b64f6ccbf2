#include "sim/outlook/sender_condition.h"

#include "platform/ascii_case.h"

namespace sw::sim {
namespace {

constexpr std::wstring_view kPrefix =
    L"@SQL=\"http://schemas.microsoft.com/mapi/proptag/0x0C1F001F\" ";

// The quoted literal that makes up all of `rest`, or nothing.
std::optional<std::wstring> Literal(std::wstring_view rest) {
    if (rest.size() < 2 || rest.front() != L'\'' || rest.back() != L'\'')
        return std::nullopt;
    rest = rest.substr(1, rest.size() - 2);
    std::wstring text;
    for (size_t i = 0; i < rest.size(); ++i) {
        const wchar_t c = rest[i];
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == L'"')
            return std::nullopt;
        if (c == L'\'') {
            if (i + 1 >= rest.size() || rest[i + 1] != L'\'')
                return std::nullopt; // a lone quote ends the literal early
            ++i;
        }
        text += c;
    }
    return text;
}

} // namespace

std::optional<SenderCondition> ParseSenderCondition(std::wstring_view filter) {
    if (!filter.starts_with(kPrefix))
        return std::nullopt;
    std::wstring_view rest = filter.substr(kPrefix.size());
    SenderCondition condition;
    std::optional<std::wstring> text;
    if (rest.starts_with(L"= ")) {
        text = Literal(rest.substr(2));
    } else if (rest.starts_with(L"LIKE '%")) {
        condition.endsWith = true;
        text = Literal(L"'" + std::wstring(rest.substr(7))); // the literal less its %
    } else {
        return std::nullopt;
    }
    if (!text || text->empty())
        return std::nullopt;
    if (condition.endsWith && text->find_first_of(L"%_[]") != std::wstring::npos)
        return std::nullopt;
    condition.text = std::move(*text);
    return condition;
}

bool Meets(const SenderCondition& condition, const Item& item) {
    const std::wstring& address = item.senderAddress;
    if (!condition.endsWith)
        return EqualsIgnoringAsciiCase(address, condition.text);
    return address.size() >= condition.text.size() &&
           EqualsIgnoringAsciiCase(
               std::wstring_view(address).substr(address.size() - condition.text.size()),
               condition.text);
}

} // namespace sw::sim
