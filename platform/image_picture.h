// Picture objects for the button images the module carries.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

namespace sw {

// Loads the "IMAGE" resource `id` of the add-in module (a complete image
// file) as a picture. S_FALSE when the module has no such resource or it
// cannot be loaded, leaving `picture` as it was; E_POINTER for a null
// `picture`; otherwise the result of OleLoadPicture, which sets `picture`.
HRESULT LoadImagePicture(WORD id, IPictureDisp** picture) noexcept;

} // namespace sw
