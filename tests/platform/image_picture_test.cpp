#include "platform/com_ptr.h"
#include "platform/image_picture.h"
#include "platform/resource_ids.h"
#include "tests/addin/bmp_file.h"
#include "tests/addin/resource_bytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// The bitmap's pixels, top row first, as 32-bit colours.
std::vector<RGBQUAD> Pixels(HBITMAP bitmap, LONG width, LONG height) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<size_t>(width * height));
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != height)
        pixels.clear();
    return pixels;
}

// Every image in every size loads as a 32-bit DIB section of its size whose
// pixels are the file's with the colour premultiplied by the alpha, which
// survives: the form in which Office draws a transparent button image.
TEST(LoadImagePicture, ButtonImagesLoadWithTheirAlpha) {
    for (sw::ButtonImage image : {sw::ButtonImage::BlockSenders, sw::ButtonImage::BlockDomains}) {
        for (LONG side : sw::kButtonImageSizes) {
            const WORD id = sw::ButtonImageId(image, side);
            SCOPED_TRACE(id);
            std::string_view bytes = sw::test::ResourceBytes(L"IMAGE", id);
            ASSERT_GT(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
            sw::test::BmpFile file(bytes);
            ASSERT_EQ(file.info().biWidth, side);

            sw::com_ptr<IPictureDisp> picture;
            ASSERT_EQ(sw::LoadImagePicture(id, picture.put()), S_OK);
            ASSERT_TRUE(picture);
            sw::com_ptr<IPicture> bitmap;
            ASSERT_EQ(picture.query(IID_IPicture, bitmap), S_OK);
            SHORT type = PICTYPE_UNINITIALIZED;
            ASSERT_EQ(bitmap->get_Type(&type), S_OK);
            ASSERT_EQ(type, PICTYPE_BITMAP);
            OLE_XSIZE_HIMETRIC width = 0;
            OLE_YSIZE_HIMETRIC height = 0;
            ASSERT_EQ(bitmap->get_Width(&width), S_OK);
            ASSERT_EQ(bitmap->get_Height(&height), S_OK);
            EXPECT_GT(width, 0);
            EXPECT_EQ(width, height);

            OLE_HANDLE handle = 0;
            ASSERT_EQ(bitmap->get_Handle(&handle), S_OK);
            auto hbitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
            DIBSECTION section{};
            ASSERT_EQ(GetObjectW(hbitmap, sizeof section, &section), sizeof section);
            EXPECT_EQ(section.dsBm.bmWidth, side);
            EXPECT_EQ(section.dsBm.bmHeight, side);
            EXPECT_EQ(section.dsBm.bmBitsPixel, 32);

            std::vector<RGBQUAD> pixels = Pixels(hbitmap, side, side);
            ASSERT_EQ(pixels.size(), static_cast<size_t>(side * side));
            int differing = 0, clear = 0, opaque = 0;
            for (LONG y = 0; y < side; ++y) {
                for (LONG x = 0; x < side; ++x) {
                    const RGBQUAD want = file.Pixel(x, y);
                    const RGBQUAD got = pixels[y * side + x];
                    auto premultiplied = [&](BYTE c) { return (c * want.rgbReserved + 127) / 255; };
                    differing += got.rgbReserved != want.rgbReserved ||
                                 std::abs(got.rgbRed - premultiplied(want.rgbRed)) > 1 ||
                                 std::abs(got.rgbGreen - premultiplied(want.rgbGreen)) > 1 ||
                                 std::abs(got.rgbBlue - premultiplied(want.rgbBlue)) > 1;
                    clear += got.rgbReserved == 0;
                    opaque += got.rgbReserved == 255;
                }
            }
            EXPECT_EQ(differing, 0);
            EXPECT_GT(clear, 0);
            EXPECT_GT(opaque, 0);
        }
    }
}

// The ribbon's 32-pixel button and a 16-pixel one at the usual scales: the
// smallest image at least as large as the button is at that scale.
TEST(LoadImagePicture, ButtonImageSizeFitsTheScale) {
    struct Case {
        int base;
        UINT dpi;
        int size;
    };
    for (const Case& c :
         {Case{32, 96, 32}, Case{32, 120, 40}, Case{32, 144, 48}, Case{32, 168, 64},
          Case{32, 192, 64}, Case{32, 288, 64}, Case{32, 72, 24}, Case{16, 96, 16},
          Case{16, 120, 20}, Case{16, 144, 24}, Case{16, 192, 32}, Case{16, 240, 40}}) {
        EXPECT_EQ(sw::ButtonImageSize(c.base, c.dpi), c.size) << c.base << " at " << c.dpi;
        EXPECT_NE(sw::ButtonImageId(sw::ButtonImage::BlockDomains, c.size), 0);
    }
    EXPECT_EQ(sw::ButtonImageId(sw::ButtonImage::BlockSenders, 33), 0);
}

TEST(LoadImagePicture, NoImageResourceGivesSFalseAndKeepsTheOutput) {
    auto* sentinel = reinterpret_cast<IPictureDisp*>(static_cast<UINT_PTR>(0x5157));
    // 999: no resource at all; the ribbon document: a resource, but no "IMAGE".
    for (WORD id : {WORD{999}, WORD{IDR_RIBBON_XML}}) {
        IPictureDisp* picture = sentinel;
        EXPECT_EQ(sw::LoadImagePicture(id, &picture), S_FALSE) << id;
        EXPECT_EQ(picture, sentinel);
    }
}

TEST(LoadImagePicture, NullOutputIsRefused) {
    EXPECT_EQ(sw::LoadImagePicture(IDB_BLOCK_SENDERS_32, nullptr), E_POINTER);
}

} // namespace
