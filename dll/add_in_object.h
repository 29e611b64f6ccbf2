// The add-in's COM object as the module makes it: a Connect with the
// command-bar surface of hosts before the ribbon.
#pragma once

#include <objbase.h>

namespace sw {

// Creates the object, aggregated when `outer` is given (then `iid` must be
// IID_IUnknown), and queries it for `iid`.
HRESULT CreateAddInObject(IUnknown* outer, REFIID iid, void** object) noexcept;

} // namespace sw
