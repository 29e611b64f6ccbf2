// The "Spamwarden" toolbar of hosts before version 14.
#pragma once

namespace sw {

// The stage the toolbar build has reached, reported by its failure messages:
// 219 command bars, 225 the bar, 241 its controls and each button's control,
// 290 style, 293 face, 337 click subscription.
extern int g_toolbarStep;

inline constexpr wchar_t kToolbarName[] = L"Spamwarden";

} // namespace sw
