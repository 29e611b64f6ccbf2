#include "manager/entry_order.h"

#include <algorithm>

namespace sw {
namespace {

unsigned FoldedUnit(wchar_t c) noexcept {
    unsigned u = static_cast<unsigned>(static_cast<char16_t>(c));
    return (u >= L'A' && u <= L'Z') ? u + (L'a' - L'A') : u;
}

} // namespace

int CompareIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) noexcept {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const unsigned x = FoldedUnit(a[i]);
        const unsigned y = FoldedUnit(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace sw
