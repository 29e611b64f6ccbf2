// One row of the simulated profile table and the properties it exposes:
// PR_DISPLAY_NAME_A / PR_DISPLAY_NAME_W (the profile's name) and
// PR_DEFAULT_PROFILE.
#pragma once

#include "platform/ansi_text.h"
#include "sim/mapi/profile_source.h"

#include <windows.h>
#include <mapidefs.h>

#include <string>

namespace sw::simmapi {

struct ProfileRow {
    std::wstring name;
    std::string ansiName; // `name` in the ANSI code page, as real MAPI gives it
    bool isDefault = false;
};

ProfileRow MakeProfileRow(const ProfileEntry& entry);

// A property of a row; the strings point into the row.
struct RowValue {
    ULONG tag = 0;
    bool boolean = false;
    const char* ansi = nullptr;
    const wchar_t* wide = nullptr;
};

// The row's value for `tag` (type included); false when the row has none.
bool GetRowValue(const ProfileRow& row, ULONG tag, RowValue& value);

} // namespace sw::simmapi
