// The Support command: a new mail to the support address (the maker's, or
// the one an administrator set), its body pre-filled with the system, host
// and product versions.
#pragma once

#include "platform/product_key.h"
#include "platform/version.h"

#include <string>

namespace sw {

inline constexpr wchar_t kSupportAddress[] = L"support@tallpine.example";
inline constexpr wchar_t kProductVersion[] = SW_VERSION_SHORT_WIDE; // major.minor

// The mailto link to `address` for the system name `osName` and host major
// version `hostVersion`. The values go into the link unescaped.
std::wstring SupportMailLink(const std::wstring& osName, int hostVersion,
                             const std::wstring& address = kSupportAddress);

// Opens the user's mail program on the support mail. Reports nothing.
void OpenSupportMail() noexcept;

} // namespace sw
