#include "sim/mapi/profile_row.h"

#include <mapitags.h>

namespace sw::simmapi {
namespace {

std::string NarrowAnsi(const std::wstring& text) {
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

} // namespace

ProfileRow MakeProfileRow(const ProfileEntry& entry) {
    return {entry.name, NarrowAnsi(entry.name), entry.isDefault};
}

bool GetRowValue(const ProfileRow& row, ULONG tag, RowValue& value) {
    value = {};
    value.tag = tag;
    switch (tag) {
    case PR_DISPLAY_NAME_A:
        value.ansi = row.ansiName.c_str();
        return true;
    case PR_DISPLAY_NAME_W:
        value.wide = row.name.c_str();
        return true;
    case PR_DEFAULT_PROFILE:
        value.boolean = row.isDefault;
        return true;
    default:
        return false;
    }
}

} // namespace sw::simmapi
