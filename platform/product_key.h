// Where the product keeps what it stores: "Tallpine\Spamwarden" under the
// user's and the machine's Software keys, under Group Policy's Policies keys
// and under %LOCALAPPDATA%. The maker and product words are macros so that
// the paths below are literals built from them, spelled nowhere else.
#pragma once

#define SW_PRODUCT_MAKER L"Tallpine"
#define SW_PRODUCT_NAME L"Spamwarden"
#define SW_PRODUCT_KEY_PATH SW_PRODUCT_MAKER L"\\" SW_PRODUCT_NAME

namespace sw {

inline constexpr wchar_t kProductMaker[] = SW_PRODUCT_MAKER;
inline constexpr wchar_t kProductName[] = SW_PRODUCT_NAME;
// "Tallpine\Spamwarden", relative to a Software key or a data folder.
inline constexpr wchar_t kProductKeyPath[] = SW_PRODUCT_KEY_PATH;
// The user's settings (under HKEY_CURRENT_USER) and what the package records
// for the machine (under HKEY_LOCAL_MACHINE).
inline constexpr wchar_t kProductSettingsKey[] = L"Software\\" SW_PRODUCT_KEY_PATH;
// Group Policy's values, under either root.
inline constexpr wchar_t kProductPolicyKey[] = L"Software\\Policies\\" SW_PRODUCT_KEY_PATH;

} // namespace sw
