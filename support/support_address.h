// Where the Support command's mail goes: an organisation's own helpdesk when
// an administrator has set one, else the maker's support address.
#pragma once

#include <string>
#include <string_view>

namespace sw {

inline constexpr wchar_t kSupportAddressValue[] = L"SupportAddress";

// Whether `address` can stand in a mailto link as it is: one address, with a
// local part and a domain around a single "@", of ASCII letters, digits and
// . - _ + ! $ ' * / = ~ only (nothing that a link would read as its own:
// no ? & # % : ; , spaces, quotes or angle brackets).
bool IsUsableSupportAddress(std::wstring_view address) noexcept;

// The first usable of: the machine's SupportAddress policy, the user's, the
// address a package for all users recorded for the machine, the one a
// package for one user recorded in the user's settings, the maker's. A value that
// is set but not usable is passed over and recorded in the diagnostics log.
std::wstring SupportAddress();

} // namespace sw
