// The ribbon XML document that the add-in gives the host.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace sw {

// The add-in's ribbon document for the explorer window: S_OK with a new
// string in `xml` that the caller frees when `ribbonId` is
// "Microsoft.Outlook.Explorer" in any letter case; E_POINTER for a null `xml`
// or any other ribbon, leaving `xml` as it was.
[[nodiscard]] HRESULT GetRibbonDocument(BSTR ribbonId, BSTR* xml) noexcept;

} // namespace sw
