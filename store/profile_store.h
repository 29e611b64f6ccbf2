// Outlook's junk-mail lists in the mail profile's registry keys, with the
// per-account copies kept in step where the host makes them. The store shows
// nothing: a read or write answers an Outcome, and its caller decides whether
// the user sees the failure or it is only recorded.
#pragma once

#include "platform/outcome.h"
#include "store/host_capabilities.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

class NewBlockedEntries;

enum class ProfileListKind : int {
    Blocked = 0, // "001f041a", the Blocked Senders list
    Safe = 1,    // "001f0418", senders that are never blocked (only read)
};

inline constexpr wchar_t kProfileListSubkey[] = L"0a0d020000000000c000000000000046";
inline constexpr wchar_t kAccountsSubkey[] = L"9375CFF0413111d3B88A00104B2A6676";

// Value name for a kind; any kind other than Safe selects the Blocked list.
const wchar_t* ProfileListValueName(ProfileListKind kind) noexcept;

// The mail profile whose lists the store reads and writes: its name, what the
// host can do (where it keeps profiles, whether accounts get copies of the
// list) and the key names of its mail accounts. The commands and the Options
// sheet take it from g_host once and hand it down; a worker thread is handed
// a copy and reads no global.
struct MailProfile {
    std::wstring name;
    HostCapabilities host;
    std::vector<std::wstring> accountKeys;
};

// HKCU-relative key that holds the mail profiles of a host with `host`'s
// capabilities: Outlook 2013 and later keep them under
// Office\<major>.0\Outlook\Profiles.
std::wstring ProfilesRootPath(const HostCapabilities& host);
// The key `subkey` under `profile`.
std::wstring ProfileSubkeyPath(const MailProfile& profile, std::wstring_view subkey);

// The default MAPI profile's name; empty when there is none.
std::wstring DefaultProfileName();

// The key name of every mail account of `profile` (its name and host; its
// account keys are not read), where the host copies the list to accounts.
std::vector<std::wstring> FindAccountKeys(const MailProfile& profile);

// Replaces `out` with the stored list of `profile`; on failure `out` is
// unchanged. A missing value is the empty list.
Outcome ReadProfileList(const MailProfile& profile, ProfileListKind kind, std::wstring& out);

// Writes `list` into the key `subkey` under the profile, or into the profile
// list key when that key does not exist.
Outcome WriteProfileListToKey(const MailProfile& profile, const std::wstring& subkey,
                              const std::wstring& list, ProfileListKind kind);

// Writes the Blocked Senders list `list` to the profile list key and, where
// the host copies it, to every account key: the one way the list is written.
// `unread` (the entries Outlook's junk filter has not read yet) is kept in
// step: before the first write it takes the stored list as what the filter
// knows, without `addedSinceLoad`, the entries the add-in added since it was
// loaded (when that read fails, a later write takes it, from a list that
// may hold them already). Not ok when a key was not written.
Outcome WriteProfileList(const MailProfile& profile, const std::wstring& list,
                         NewBlockedEntries& unread,
                         const std::vector<std::wstring>& addedSinceLoad);

// Puts every entry of `additions` (the entries the add-in added since it was
// loaded) the stored Blocked list lacks back into it. A failed read writes
// nothing.
Outcome ReapplyBlockedAdditions(const MailProfile& profile,
                                const std::vector<std::wstring>& additions,
                                NewBlockedEntries& unread);

} // namespace sw
