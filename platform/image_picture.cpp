#include "platform/image_picture.h"

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

// A 32-bit DIB section of the bitmap file `file`, top-down, its colours
// premultiplied by their alpha; null when `file` is not a bottom-up 32-bit
// BI_RGB bitmap of a plausible size.
unique_bitmap PremultipliedBitmap(const BYTE* file, DWORD size) {
    BITMAPFILEHEADER header;
    BITMAPINFOHEADER info;
    if (size < sizeof header + sizeof info)
        return {};
    std::memcpy(&header, file, sizeof header);
    std::memcpy(&info, file + sizeof header, sizeof info);
    const LONG side = info.biWidth;
    if (header.bfType != 0x4D42 || info.biSize < sizeof info || info.biBitCount != 32 ||
        info.biCompression != BI_RGB || side <= 0 || side > kLargestSide || info.biHeight != side ||
        header.bfOffBits > size || size - header.bfOffBits < static_cast<DWORD>(side * side * 4))
        return {};

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
    const BYTE* source = file + header.bfOffBits;
    auto* target = static_cast<BYTE*>(bits);
    for (LONG y = 0; y < side; ++y) {
        const BYTE* row = source + (side - 1 - y) * side * 4; // the file is bottom-up
        for (LONG x = 0; x < side * 4; x += 4) {
            const unsigned alpha = row[x + 3];
            for (int channel = 0; channel < 3; ++channel)
                target[x + channel] = static_cast<BYTE>((row[x + channel] * alpha + 127) / 255);
            target[x + 3] = static_cast<BYTE>(alpha);
        }
        target += side * 4;
    }
    GdiFlush();
    return bitmap;
}

} // namespace

HRESULT LoadImagePicture(WORD id, IPictureDisp** picture) noexcept {
    if (!picture)
        return E_POINTER;
    HINSTANCE module = AddinModule();
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"IMAGE");
    if (!info)
        return S_FALSE;
    DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes)
        return S_FALSE;
    unique_bitmap bitmap = PremultipliedBitmap(bytes, size);
    if (!bitmap)
        return S_FALSE;

    PICTDESC description = {};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.get();
    // The picture owns the bitmap once it exists.
    const HRESULT hr = OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE,
                                                reinterpret_cast<void**>(picture));
    if (SUCCEEDED(hr))
        bitmap.release();
    return hr;
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
