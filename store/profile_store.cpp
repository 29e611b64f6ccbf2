#include "store/profile_store.h"

#include "platform/diagnostics.h"
#include "platform/registry_key.h"
#include "platform/registry_value.h"
#include "platform/text_format.h"
#include "store/list_index.h"
#include "store/new_entries.h"

#include <windows.h>

namespace sw {
namespace {

// The most read of an account's "Email" and "Preferences UID" values.
constexpr size_t kAccountValueLimit = 259;

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

// Whether UTF-16LE `data` holds an "@" before its first 0 code unit.
bool HasAtSign(const std::vector<BYTE>& data) noexcept {
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (c == L'\0')
            break;
        if (c == L'@')
            return true;
    }
    return false;
}

} // namespace

const wchar_t* ProfileListValueName(ProfileListKind kind) noexcept {
    return kind == ProfileListKind::Safe ? L"001f0418" : L"001f041a";
}

std::wstring ProfilesRootPath(const HostCapabilities& host) {
    if (host.officeProfilesRoot)
        return FormatText(L"Software\\Microsoft\\Office\\%d.0\\Outlook\\Profiles", host.version);
    return kLegacyProfilesRoot;
}

std::wstring ProfileSubkeyPath(const MailProfile& profile, std::wstring_view subkey) {
    std::wstring path = ProfilesRootPath(profile.host);
    path.append(L"\\").append(profile.name).append(L"\\").append(subkey);
    return path;
}

std::vector<std::wstring> FindAccountKeys(const MailProfile& profile) {
    std::vector<std::wstring> keys;
    if (!profile.host.accountListCopies)
        return keys;
    const std::wstring accountsPath = ProfileSubkeyPath(profile, kAccountsSubkey);

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

        // A mail account has an address; at most 259 bytes of either value
        // are read, and the address is its whole code units up to the first 0.
        std::vector<BYTE> email;
        if (!ReadBinaryValue(account.get(), L"Email", email, kAccountValueLimit) ||
            !HasAtSign(email))
            continue;

        std::vector<BYTE> uid;
        if (!ReadBinaryValue(account.get(), L"Preferences UID", uid, kAccountValueLimit) ||
            uid.empty())
            continue;

        std::wstring keyName;
        keyName.reserve(2 * uid.size());
        static constexpr wchar_t kHex[] = L"0123456789abcdef";
        for (const BYTE byte : uid) {
            keyName.push_back(kHex[byte >> 4]);
            keyName.push_back(kHex[byte & 0x0F]);
        }
        keys.push_back(std::move(keyName));
    }
    return keys;
}

// The message of a list value that could not be read, with the Win32 error.
constexpr wchar_t kQueryValueFailed[] = L"RegQueryValueEx Failed: %ld.";

Outcome ReadProfileList(const MailProfile& profile, ProfileListKind kind, std::wstring& out) {
    Outcome outcome;
    const std::wstring path = ProfileSubkeyPath(profile, kProfileListSubkey);
    unique_hkey key;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (rc != ERROR_SUCCESS) {
        outcome.Fail(FormatText(L"RegOpenKeyEx Failed: %ld.", rc), rc);
        return outcome;
    }

    // The value may change between the query of its size and the read (grow,
    // shrink or vanish): only data that was actually read is decoded.
    std::vector<BYTE> data;
    const BinaryValueRead read = ReadBinaryValue(key.get(), ProfileListValueName(kind), data);
    key.reset();
    if (read.missing) {
        out.clear();
        return outcome;
    }
    if (!read) {
        outcome.Fail(FormatText(kQueryValueFailed, read.error), read.error);
        return outcome;
    }
    out = DecodeListData(data.data(), static_cast<DWORD>(data.size()));
    return outcome;
}

Outcome WriteProfileListToKey(const MailProfile& profile, const std::wstring& subkey,
                              const std::wstring& list, ProfileListKind kind) {
    Outcome outcome;
    unique_hkey key;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, ProfileSubkeyPath(profile, subkey).c_str(), 0,
                            KEY_SET_VALUE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) {
        // No key of its own (an account without one): the profile list key gets it.
        rc =
            RegOpenKeyExW(HKEY_CURRENT_USER, ProfileSubkeyPath(profile, kProfileListSubkey).c_str(),
                          0, KEY_SET_VALUE, key.put());
    }
    if (rc != ERROR_SUCCESS) {
        outcome.Fail(FormatText(L"RegOpenKeyEx Failed: %ls: %ld.", subkey.c_str(), rc), rc);
        return outcome;
    }

    const DWORD bytes = static_cast<DWORD>((list.size() + 1) * sizeof(wchar_t));
    rc = RegSetValueExW(key.get(), ProfileListValueName(kind), 0, REG_BINARY,
                        reinterpret_cast<const BYTE*>(list.c_str()), bytes);
    if (rc != ERROR_SUCCESS)
        outcome.Fail(FormatText(L"RegSetValueEx Failed: %ls: %ld.", subkey.c_str(), rc), rc);
    return outcome;
}

Outcome WriteProfileList(const MailProfile& profile, const std::wstring& list,
                         NewBlockedEntries& unread,
                         const std::vector<std::wstring>& addedSinceLoad) {
    constexpr ProfileListKind kind = ProfileListKind::Blocked;
    // What the list held before the add-in first writes it is what Outlook's
    // junk filter read at start-up; never what the add-in itself added.
    if (!unread.HasBaseline()) {
        std::wstring stored;
        const Outcome read = ReadProfileList(profile, kind, stored);
        if (read)
            unread.SetBaseline(stored, addedSinceLoad);
        else
            SW_LOG_OUTCOME(read);
    }
    Outcome outcome = WriteProfileListToKey(profile, kProfileListSubkey, list, kind);
    if (outcome)
        unread.NoteWritten(list);
    if (!profile.host.accountListCopies)
        return outcome;
    for (const std::wstring& account : profile.accountKeys)
        outcome.Add(WriteProfileListToKey(profile, account, list, kind));
    return outcome;
}

Outcome ReapplyBlockedAdditions(const MailProfile& profile,
                                const std::vector<std::wstring>& additions,
                                NewBlockedEntries& unread) {
    // Nothing to put back: no need to read a long list, or to report a
    // failed read, while the host shuts down.
    if (additions.empty())
        return {};
    std::wstring stored;
    // A failed read must not be followed by a write: it would replace the
    // stored list by this run's additions alone.
    Outcome outcome = ReadProfileList(profile, ProfileListKind::Blocked, stored);
    if (!outcome)
        return outcome;
    CListIndex blocked(std::move(stored));
    if (blocked.AppendMissing(additions))
        outcome = WriteProfileList(profile, blocked.Text(), unread, additions);
    return outcome;
}

} // namespace sw
