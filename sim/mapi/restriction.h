// Evaluation of MAPI restrictions against profile rows. Supported: RES_AND,
// RES_OR, RES_NOT, RES_EXIST, and RES_PROPERTY with RELOP_LT..RELOP_NE on
// boolean and string properties (strings compare without regard to case, as
// profile names do). A property a row lacks never satisfies RES_PROPERTY.
#pragma once

#include "sim/mapi/profile_row.h"

#include <windows.h>
#include <mapidefs.h>

namespace sw::simmapi {

// S_OK for a restriction that Matches can evaluate; MAPI_E_TOO_COMPLEX for
// kinds it does not support, MAPI_E_INVALID_PARAMETER for malformed ones.
HRESULT CheckRestriction(const SRestriction* restriction);

// Whether `row` satisfies a restriction that CheckRestriction accepted.
bool Matches(const SRestriction& restriction, const ProfileRow& row);

} // namespace sw::simmapi
