#include "support/help_file.h"

#include "platform/diagnostics.h"
#include "platform/product_key.h"
#include "platform/registry_key.h"
#include "platform/registry_value.h"
#include "support/shell_open.h"

#include <cwchar>
#include <optional>
#include <string>

namespace sw {
namespace {

constexpr wchar_t kHelpPathValue[] = L"Path";
constexpr wchar_t kHelpFileName[] = L"Spamwarden";
constexpr wchar_t kHelpFileExtension[] = L".chm";

// The composed help file path is limited to MAX_PATH units with its final 0,
// that is 259 characters: a "Path" of up to 244 characters (245 with a final
// backslash) is used, anything longer leaves Help doing nothing.
constexpr size_t kMaxHelpFilePath = MAX_PATH - 1;

// The help folder as stored under `root`, or nothing when the key or value
// cannot be read, the value is empty or it does not fit the read buffer.
std::optional<std::wstring> ReadHelpFolder(HKEY root) {
    unique_hkey key;
    if (RegOpenKeyExW(root, kProductSettingsKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    // The value's type is not checked and an expandable text stays as it is;
    // data stored without a terminator still ends.
    std::optional<std::wstring> folder =
        ReadTextValue(key.get(), kHelpPathValue, ValueTypes::Any, MAX_PATH);
    // An empty folder would make a path relative to the host's current folder.
    if (!folder || folder->empty())
        return std::nullopt;
    return folder;
}

// An installation for all users records its folder under HKLM; one for a
// single user, without administrator rights, under HKCU, which is read
// when the machine has none.
std::optional<std::wstring> ReadHelpFolder() {
    std::optional<std::wstring> folder = ReadHelpFolder(HKEY_LOCAL_MACHINE);
    return folder ? folder : ReadHelpFolder(HKEY_CURRENT_USER);
}

std::optional<std::wstring> HelpFilePath() {
    std::optional<std::wstring> path = ReadHelpFolder();
    if (!path)
        return std::nullopt;
    if (path->back() != L'\\')
        *path += L'\\';
    *path += kHelpFileName;
    *path += kHelpFileExtension;
    if (path->size() > kMaxHelpFilePath)
        return std::nullopt;
    return path;
}

} // namespace

void OpenHelpFile() noexcept {
    try {
        if (std::optional<std::wstring> path = HelpFilePath())
            ShellOpen(*path);
    } catch (...) {
        // Help shows nothing.
        SW_LOG_CAUGHT();
    }
}

} // namespace sw
