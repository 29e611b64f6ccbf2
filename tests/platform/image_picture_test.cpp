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

// Within what a display of 16 bits per pixel would round away.
bool Close(RGBQUAD a, RGBQUAD b) {
    return std::abs(a.rgbRed - b.rgbRed) <= 8 && std::abs(a.rgbGreen - b.rgbGreen) <= 8 &&
           std::abs(a.rgbBlue - b.rgbBlue) <= 8;
}

TEST(LoadImagePicture, ButtonImagesLoadAsTheirFilesShowThem) {
    for (WORD id :
         {IDB_BLOCK_SENDERS_32, IDB_BLOCK_DOMAINS_32, IDB_BLOCK_SENDERS_16, IDB_BLOCK_DOMAINS_16}) {
        SCOPED_TRACE(id);
        std::string_view bytes = sw::test::ResourceBytes(L"IMAGE", id);
        ASSERT_GT(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
        sw::test::BmpFile file(bytes);
        const LONG side = id == IDB_BLOCK_SENDERS_32 || id == IDB_BLOCK_DOMAINS_32 ? 32 : 16;
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
        BITMAP info{};
        ASSERT_NE(GetObjectW(hbitmap, sizeof info, &info), 0);
        EXPECT_EQ(info.bmWidth, side);
        EXPECT_EQ(info.bmHeight, side);

        std::vector<RGBQUAD> pixels = Pixels(hbitmap, side, side);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(side * side));
        int differing = 0;
        for (LONG y = 0; y < side; ++y)
            for (LONG x = 0; x < side; ++x)
                differing += !Close(pixels[y * side + x], file.Pixel(x, y));
        EXPECT_EQ(differing, 0);
    }
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
