// Which sender addresses may become Blocked Senders entries.
#pragma once

#include <string_view>

namespace sw {

// An entry must be one whole list entry: a sender address holding ";" (legal
// in a quoted local part) would split into several entries, and a control
// character (NUL included) has no place in an address.
bool IsListableAddress(std::wstring_view address) noexcept;

} // namespace sw
