#include "store/profile_store.h"

#include "platform/diagnostics.h"
#include "platform/registry_key.h"
#include "platform/text_format.h"
#include "platform/user_message.h"
#include "store/list_index.h"
#include "store/state.h"

#include <windows.h>

#include <cstdio>
#include <memory>

namespace sw {
namespace {

constexpr wchar_t kLegacyProfilesRoot[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";

// Decodes registry data as UTF-16LE text up to the first 0 code unit; an odd
// trailing byte is not part of any code unit and is ignored.
std::wstring DecodeListData(const BYTE* data, DWORD bytes) {
    std::wstring text;
    const DWORD units = bytes / 2;
    text.reserve(units);
    for (DWORD i = 0; i < units; ++i) {
        wchar_t c = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (c == L'\0')
            break;
        text.push_back(c);
    }
    // A list written by another program may lack the ";" after its last entry;
    // read it as if it were there so that appending never joins two entries.
    if (!text.empty() && text.back() != L';')
        text.push_back(L';');
    return text;
}

} // namespace

const wchar_t* ProfileListValueName(ProfileListKind kind) noexcept {
    return kind == ProfileListKind::Safe ? L"001f0418" : L"001f041a";
}

ProfileLocation CurrentProfileLocation() {
    return {g_host.hostVersion, g_host.profileName};
}

std::wstring ProfilesRootPath() {
    return ProfilesRootPath(g_host.hostVersion);
}

std::wstring ProfilesRootPath(int hostVersion) {
    if (hostVersion >= 15)
        return FormatText(L"Software\\Microsoft\\Office\\%d.0\\Outlook\\Profiles", hostVersion);
    return kLegacyProfilesRoot;
}

std::wstring ProfileSubkeyPath(std::wstring_view subkey) {
    return ProfileSubkeyPath({g_host.hostVersion, g_host.profileName}, subkey);
}

std::wstring ProfileSubkeyPath(const ProfileLocation& where, std::wstring_view subkey) {
    std::wstring path = ProfilesRootPath(where.hostVersion);
    path.append(L"\\").append(where.profileName).append(L"\\").append(subkey);
    return path;
}

void CollectAccountKeys(std::vector<std::wstring>& keys) {
    if (g_host.hostVersion < 14)
        return;
    const std::wstring accountsPath = ProfileSubkeyPath(kAccountsSubkey);

    std::vector<std::wstring> names;
    {
        unique_hkey accounts;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, accountsPath.c_str(), 0, KEY_READ, accounts.put()) ==
            ERROR_SUCCESS) {
            DWORD count = 0;
            if (RegQueryInfoKeyW(accounts.get(), nullptr, nullptr, nullptr, &count, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr) != ERROR_SUCCESS)
                count = 0;
            for (DWORD i = 0; i < count; ++i) {
                wchar_t name[260];
                DWORD length = 260;
                if (RegEnumKeyExW(accounts.get(), i, name, &length, nullptr, nullptr, nullptr,
                                  nullptr) == ERROR_SUCCESS)
                    names.emplace_back(name, length);
            }
        }
    }

    for (const std::wstring& name : names) {
        std::wstring accountPath = accountsPath;
        accountPath.append(L"\\").append(name);
        unique_hkey account;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, accountPath.c_str(), 0, KEY_QUERY_VALUE,
                          account.put()) != ERROR_SUCCESS)
            continue;

        // 520 zero bytes hold at most 259 bytes of data, so the text always ends.
        wchar_t email[260] = {};
        DWORD size = 259;
        if (RegQueryValueExW(account.get(), L"Email", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(email), &size) != ERROR_SUCCESS)
            continue;
        if (!wcschr(email, L'@'))
            continue;

        BYTE uid[260] = {};
        size = 259;
        if (RegQueryValueExW(account.get(), L"Preferences UID", nullptr, nullptr, uid, &size) !=
                ERROR_SUCCESS ||
            size == 0)
            continue;

        std::wstring keyName;
        keyName.reserve(2 * size);
        static constexpr wchar_t kHex[] = L"0123456789abcdef";
        for (DWORD i = 0; i < size; ++i) {
            keyName.push_back(kHex[uid[i] >> 4]);
            keyName.push_back(kHex[uid[i] & 0x0F]);
        }
        keys.push_back(std::move(keyName));
    }
}

// The message of a list value that could not be read, with the Win32 error.
constexpr wchar_t kQueryValueFailed[] = L"RegQueryValueEx Failed: %ld.";

bool ReadProfileListQuietly(std::wstring& out, ProfileListKind kind, std::wstring& failure) {
    return ReadProfileListQuietly(CurrentProfileLocation(), out, kind, failure);
}

bool ReadProfileListQuietly(const ProfileLocation& where, std::wstring& out, ProfileListKind kind,
                            std::wstring& failure) {
    const std::wstring path = ProfileSubkeyPath(where, kProfileListSubkey);
    unique_hkey key;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (rc != ERROR_SUCCESS) {
        failure = FormatText(L"RegOpenKeyEx Failed: %ld.", rc);
        return false;
    }

    const wchar_t* valueName = ProfileListValueName(kind);
    DWORD size = 0;
    rc = RegQueryValueExW(key.get(), valueName, nullptr, nullptr, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) {
        out.clear();
        return true;
    }
    if (rc != ERROR_SUCCESS) {
        failure = FormatText(kQueryValueFailed, rc);
        return false;
    }

    // The value may change between the two queries (grow, shrink or vanish):
    // only data that was actually read is decoded.
    std::unique_ptr<BYTE[]> data(new BYTE[size ? size : 1]);
    rc = RegQueryValueExW(key.get(), valueName, nullptr, nullptr, data.get(), &size);
    key.reset();
    if (rc != ERROR_SUCCESS) {
        failure = FormatText(kQueryValueFailed, rc);
        return false;
    }
    out = DecodeListData(data.get(), size);
    return true;
}

bool ReadProfileList(std::wstring& out, ProfileListKind kind) {
    std::wstring failure;
    if (ReadProfileListQuietly(out, kind, failure))
        return true;
    ShowUserMessage(failure);
    return false;
}

bool WriteProfileListToKey(const std::wstring& subkey, const std::wstring& list,
                           ProfileListKind kind) {
    unique_hkey key;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, ProfileSubkeyPath(subkey).c_str(), 0, KEY_SET_VALUE,
                            key.put());
    if (rc == ERROR_FILE_NOT_FOUND) {
        // No key of its own (an account without one): the profile list key gets it.
        rc = RegOpenKeyExW(HKEY_CURRENT_USER, ProfileSubkeyPath(kProfileListSubkey).c_str(), 0,
                           KEY_SET_VALUE, key.put());
    }
    if (rc != ERROR_SUCCESS) {
        ShowUserMessage(FormatText(L"RegOpenKeyEx Failed: %ls: %ld.", subkey.c_str(), rc));
        return false;
    }

    const DWORD bytes = static_cast<DWORD>((list.size() + 1) * sizeof(wchar_t));
    rc = RegSetValueExW(key.get(), ProfileListValueName(kind), 0, REG_BINARY,
                        reinterpret_cast<const BYTE*>(list.c_str()), bytes);
    if (rc != ERROR_SUCCESS) {
        ShowUserMessage(FormatText(L"RegSetValueEx Failed: %ls: %ld.", subkey.c_str(), rc));
        return false;
    }
    return true;
}

bool WriteProfileList(const std::wstring& list, ProfileListKind kind) {
    // What the list held before the add-in first writes it is what Outlook's
    // junk filter read at start-up.
    if (kind == ProfileListKind::Blocked && !g_host.newBlockedEntries.HasBaseline()) {
        std::wstring stored;
        std::wstring failure;
        if (ReadProfileListQuietly(stored, kind, failure))
            g_host.newBlockedEntries.SetBaseline(stored);
        else
            SW_LOG_FAILURE(failure.c_str(), E_FAIL);
    }
    const bool written = WriteProfileListToKey(kProfileListSubkey, list, kind);
    if (written && kind == ProfileListKind::Blocked)
        g_host.newBlockedEntries.NoteWritten(list);
    if (g_host.hostVersion < 14)
        return written;
    bool all = written;
    for (const std::wstring& account : g_host.accountKeys)
        all = WriteProfileListToKey(account, list, kind) && all;
    return all;
}

void ReapplyBlockedAdditions() {
    // Nothing to put back: no need to read a long list, or to report a
    // failed read, while the host shuts down.
    if (g_host.blockedSinceLoad.empty())
        return;
    std::wstring stored;
    // A failed read must not be followed by a write: it would replace the
    // stored list by this run's additions alone.
    if (!ReadProfileList(stored, ProfileListKind::Blocked))
        return;
    CListIndex blocked(std::move(stored));
    // A failed write has told the user; at shutdown nothing more can be done.
    if (blocked.AppendMissing(g_host.blockedSinceLoad))
        static_cast<void>(WriteProfileList(blocked.Text(), ProfileListKind::Blocked));
}

} // namespace sw
