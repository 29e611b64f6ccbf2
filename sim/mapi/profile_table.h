// The profile table: a snapshot of the profiles taken when it is created, with
// a restriction, a cursor, bookmarks and a settable column set.
#pragma once

#include "sim/mapi/profile_source.h"

#include <windows.h>
#include <mapidefs.h>

#include <vector>

namespace sw::simmapi {

// Creates the table over `profiles`; with `unicode` the name column is
// PR_DISPLAY_NAME_W, else PR_DISPLAY_NAME_A. The caller owns one reference.
HRESULT CreateProfileTable(const std::vector<ProfileEntry>& profiles, bool unicode,
                           IMAPITable** table);

} // namespace sw::simmapi
