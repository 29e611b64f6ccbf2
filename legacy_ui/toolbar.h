// The "Spamwarden" toolbar of hosts before version 14.
#pragma once

namespace sw {

inline constexpr wchar_t kToolbarName[] = L"Spamwarden";

} // namespace sw
