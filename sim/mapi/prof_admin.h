// The profile administration object that MAPIAdminProfiles returns.
#pragma once

#include <windows.h>
#include <mapix.h>

namespace sw::simmapi {

// The caller owns one reference.
HRESULT CreateProfAdmin(IProfAdmin** admin);

} // namespace sw::simmapi
