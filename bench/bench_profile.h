// A mail profile in the scratch registry, laid out as Outlook of a given
// version keeps it: marked as the default profile for the simulated MAPI,
// with its list key and its mail accounts, each with a key of its own.
#pragma once

#include <string>
#include <vector>

namespace sw::bench {

inline constexpr wchar_t kBenchProfile[] = L"Bench Profile";

// Creates the profile for a host of major version `version` with `accounts`
// mail accounts, and sets g_host.capabilities and g_host.profileName as
// start-up would. Returns the account key names (what FindAccountKeys finds).
std::vector<std::wstring> CreateBenchProfile(int version, int accounts);

// The stored lists of the profile of g_host.profileName.
void StoreBlockedList(const std::wstring& text);
void StoreSafeList(const std::wstring& text);
std::wstring StoredBlockedList();
// The Blocked Senders list as stored in one account's key.
std::wstring StoredAccountList(const std::wstring& account);

} // namespace sw::bench
