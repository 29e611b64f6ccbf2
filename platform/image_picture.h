// Picture objects for the button images the module carries.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

namespace sw {

// Loads the "IMAGE" resource `id` of the add-in module (a 32-bit bitmap file
// with an alpha channel) as a picture of a 32-bit DIB section with
// premultiplied alpha, the form in which Office draws a button image's
// transparency (OleLoadPicture would drop the alpha). S_FALSE when the
// module has no such resource or it is no such file, leaving `picture` as it
// was; E_POINTER for a null `picture`; otherwise the result of
// OleCreatePictureIndirect, which sets `picture`.
[[nodiscard]] HRESULT LoadImagePicture(WORD id, IPictureDisp** picture) noexcept;

// The same image for command bars before the ribbon, which take a button's
// transparency from its Mask picture rather than from alpha: `picture`
// opaque, the image composed onto `face` (the button face colour), and
// `mask`, white where the image is transparent (IsMaskedOut) and black
// elsewhere. Results as LoadImagePicture's; both pictures are set or neither.
[[nodiscard]] HRESULT LoadImagePictureAndMask(WORD id, COLORREF face, IPictureDisp** picture,
                                              IPictureDisp** mask) noexcept;
// Whether a pixel of that alpha is transparent in the mask: below half.
constexpr bool IsMaskedOut(unsigned alpha) noexcept {
    return alpha < 128;
}

// The button images the module carries, each in every size of
// kButtonImageSizes.
enum class ButtonImage { BlockSenders, BlockDomains };
inline constexpr int kButtonImageSizes[] = {16, 20, 24, 32, 40, 48, 64};

// The image size for a button `basePixels` wide at 96 DPI shown at `dpi`:
// the smallest carried size at least that large (shrunk looks better than
// blown up), else the largest.
int ButtonImageSize(int basePixels, UINT dpi) noexcept;

// The resource id of `image` at `size`; 0 for a size not carried.
WORD ButtonImageId(ButtonImage image, int size) noexcept;

} // namespace sw
