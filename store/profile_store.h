// Outlook's junk-mail lists in the mail profile's registry keys, with the
// per-account copies kept in step from host version 14 on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sw {

enum class ProfileListKind : int {
    Blocked = 0, // "001f041a", the Blocked Senders list
    Safe = 1,    // "001f0418", senders that are never blocked (only read)
};

inline constexpr wchar_t kProfileListSubkey[] = L"0a0d020000000000c000000000000046";
inline constexpr wchar_t kAccountsSubkey[] = L"9375CFF0413111d3B88A00104B2A6676";

// Value name for a kind; any kind other than Safe selects the Blocked list.
const wchar_t* ProfileListValueName(ProfileListKind kind) noexcept;

// Whose lists the store reads: the host's major version and the profile's
// name. A worker thread is handed them, taken on the thread that owns
// g_host.hostVersion and g_host.profileName, and reads no global.
struct ProfileLocation {
    int hostVersion = 0;
    std::wstring profileName;
};
// g_host.hostVersion and g_host.profileName as they are now.
ProfileLocation CurrentProfileLocation();

// HKCU-relative key that holds the mail profiles for g_host.hostVersion: Outlook
// 2013 (15) and later keep them under Office\<major>.0\Outlook\Profiles.
std::wstring ProfilesRootPath();
std::wstring ProfilesRootPath(int hostVersion);
// The key `subkey` under the profile named by g_host.profileName.
std::wstring ProfileSubkeyPath(std::wstring_view subkey);
std::wstring ProfileSubkeyPath(const ProfileLocation& where, std::wstring_view subkey);

// Sets g_host.profileName to the default MAPI profile's name; true when not empty.
[[nodiscard]] bool FindDefaultProfileName();

// Appends the key name of every mail account of the profile (version 14 on).
void CollectAccountKeys(std::vector<std::wstring>& keys);

// Replaces `out` with the stored list; false (after telling the user) on failure,
// with `out` unchanged. A missing value is the empty list.
[[nodiscard]] bool ReadProfileList(std::wstring& out, ProfileListKind kind);
// The same without telling the user: `failure` receives the message that
// ReadProfileList would show. A worker thread passes the location it was
// handed.
[[nodiscard]] bool ReadProfileListQuietly(std::wstring& out, ProfileListKind kind,
                                          std::wstring& failure);
[[nodiscard]] bool ReadProfileListQuietly(const ProfileLocation& where, std::wstring& out,
                                          ProfileListKind kind, std::wstring& failure);

// Writes `list` into the key `subkey` under the profile, or into the profile
// list key when that key does not exist. False after telling the user.
[[nodiscard]] bool WriteProfileListToKey(const std::wstring& subkey, const std::wstring& list,
                                         ProfileListKind kind);

// Writes the profile list key and, from version 14 on, every account key.
// False when a key was not written, after telling the user.
[[nodiscard]] bool WriteProfileList(const std::wstring& list, ProfileListKind kind);

// Puts every entry of g_host.blockedSinceLoad the stored Blocked list lacks back into it.
void ReapplyBlockedAdditions();

} // namespace sw
