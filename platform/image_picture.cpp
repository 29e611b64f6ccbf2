#include "platform/image_picture.h"

#include "platform/com_ptr.h"
#include "platform/module.h"
#include "platform/resource_ids.h"
#include "platform/unique_gdi.h"

#include <cstring>
#include <iterator>

namespace sw {

namespace {

constexpr WORD kSendersIds[] = {IDB_BLOCK_SENDERS_16, IDB_BLOCK_SENDERS_20, IDB_BLOCK_SENDERS_24,
                                IDB_BLOCK_SENDERS_32, IDB_BLOCK_SENDERS_40, IDB_BLOCK_SENDERS_48,
                                IDB_BLOCK_SENDERS_64};
constexpr WORD kDomainsIds[] = {IDB_BLOCK_DOMAINS_16, IDB_BLOCK_DOMAINS_20, IDB_BLOCK_DOMAINS_24,
                                IDB_BLOCK_DOMAINS_32, IDB_BLOCK_DOMAINS_40, IDB_BLOCK_DOMAINS_48,
                                IDB_BLOCK_DOMAINS_64};
static_assert(std::size(kSendersIds) == std::size(kButtonImageSizes) &&
              std::size(kDomainsIds) == std::size(kButtonImageSizes));

// The largest side a button image may have.
constexpr LONG kLargestSide = 256;

// The pixels of a button image file: `side` rows of `side` BGRA pixels,
// bottom-up as bitmap files keep them.
struct ImagePixels {
    const BYTE* bottomUp = nullptr;
    LONG side = 0;
};

// The pixels of the bitmap file `file`; false when it is not a bottom-up
// 32-bit BI_RGB bitmap of a plausible size.
bool ReadImagePixels(const BYTE* file, DWORD size, ImagePixels& pixels) {
    BITMAPFILEHEADER header;
    BITMAPINFOHEADER info;
    if (size < sizeof header + sizeof info)
        return false;
    std::memcpy(&header, file, sizeof header);
    std::memcpy(&info, file + sizeof header, sizeof info);
    const LONG side = info.biWidth;
    if (header.bfType != 0x4D42 || info.biSize < sizeof info || info.biBitCount != 32 ||
        info.biCompression != BI_RGB || side <= 0 || side > kLargestSide || info.biHeight != side ||
        header.bfOffBits > size || size - header.bfOffBits < static_cast<DWORD>(side * side * 4))
        return false;
    pixels.bottomUp = file + header.bfOffBits;
    pixels.side = side;
    return true;
}

// A top-down 32-bit DIB section of the image's size whose every pixel
// `convert(source, target)` makes from the image's pixel; null on failure.
template <class Convert> unique_bitmap ConvertedBitmap(const ImagePixels& image, Convert convert) {
    const LONG side = image.side;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = side;
    format.bmiHeader.biHeight = -side; // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    unique_bitmap bitmap(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return {};
    auto* target = static_cast<BYTE*>(bits);
    for (LONG y = 0; y < side; ++y) {
        const BYTE* row = image.bottomUp + (side - 1 - y) * side * 4; // the file is bottom-up
        for (LONG x = 0; x < side * 4; x += 4)
            convert(row + x, target + x);
        target += side * 4;
    }
    GdiFlush();
    return bitmap;
}

// The "IMAGE" resource `id` of the add-in module as pixels; false when it is
// missing or no such file.
bool ImageResource(WORD id, ImagePixels& pixels) {
    HINSTANCE module = AddinModule();
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"IMAGE");
    if (!info)
        return false;
    DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    return bytes && ReadImagePixels(bytes, size, pixels);
}

// A picture that owns `bitmap` once it exists.
HRESULT PictureOf(unique_bitmap bitmap, IPictureDisp** picture) noexcept {
    PICTDESC description = {};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.get();
    const HRESULT hr = OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE,
                                                reinterpret_cast<void**>(picture));
    if (SUCCEEDED(hr))
        bitmap.release();
    return hr;
}

BYTE Blend(unsigned colour, unsigned face, unsigned alpha) noexcept {
    return static_cast<BYTE>((colour * alpha + face * (255 - alpha) + 127) / 255);
}

} // namespace

HRESULT LoadImagePicture(WORD id, IPictureDisp** picture) noexcept {
    if (!picture)
        return E_POINTER;
    ImagePixels image;
    if (!ImageResource(id, image))
        return S_FALSE;
    unique_bitmap bitmap = ConvertedBitmap(image, [](const BYTE* source, BYTE* target) {
        const unsigned alpha = source[3];
        for (int channel = 0; channel < 3; ++channel)
            target[channel] = static_cast<BYTE>((source[channel] * alpha + 127) / 255);
        target[3] = static_cast<BYTE>(alpha);
    });
    if (!bitmap)
        return S_FALSE;
    return PictureOf(std::move(bitmap), picture);
}

HRESULT LoadImagePictureAndMask(WORD id, COLORREF face, IPictureDisp** picture,
                                IPictureDisp** mask) noexcept {
    if (!picture || !mask)
        return E_POINTER;
    ImagePixels image;
    if (!ImageResource(id, image))
        return S_FALSE;
    // A DIB's pixels are blue, green, red; a COLORREF holds red lowest.
    const unsigned faceChannels[3] = {GetBValue(face), GetGValue(face), GetRValue(face)};
    unique_bitmap composed = ConvertedBitmap(image, [&](const BYTE* source, BYTE* target) {
        for (int channel = 0; channel < 3; ++channel)
            target[channel] = Blend(source[channel], faceChannels[channel], source[3]);
        target[3] = 0xFF;
    });
    unique_bitmap masked = ConvertedBitmap(image, [](const BYTE* source, BYTE* target) {
        const BYTE shade = IsMaskedOut(source[3]) ? 0xFF : 0x00;
        target[0] = target[1] = target[2] = shade;
        target[3] = 0xFF;
    });
    if (!composed || !masked)
        return S_FALSE;
    com_ptr<IPictureDisp> picturePart;
    com_ptr<IPictureDisp> maskPart;
    if (const HRESULT hr = PictureOf(std::move(composed), picturePart.put()); FAILED(hr))
        return hr;
    if (const HRESULT hr = PictureOf(std::move(masked), maskPart.put()); FAILED(hr))
        return hr;
    *picture = picturePart.detach();
    *mask = maskPart.detach();
    return S_OK;
}

int ButtonImageSize(int basePixels, UINT dpi) noexcept {
    const int wanted = MulDiv(basePixels, static_cast<int>(dpi), 96);
    for (int size : kButtonImageSizes) {
        if (size >= wanted)
            return size;
    }
    return kButtonImageSizes[std::size(kButtonImageSizes) - 1];
}

WORD ButtonImageId(ButtonImage image, int size) noexcept {
    const WORD* ids = image == ButtonImage::BlockSenders ? kSendersIds : kDomainsIds;
    for (size_t i = 0; i < std::size(kButtonImageSizes); ++i) {
        if (kButtonImageSizes[i] == size)
            return ids[i];
    }
    return 0;
}

} // namespace sw
