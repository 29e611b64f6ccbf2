#include "platform/image_picture.h"
#include "platform/resource_ids.h"
#include "tests/addin/bmp_file.h"
#include "tests/addin/resource_bytes.h"

#include <gtest/gtest.h>

namespace {

using sw::ButtonImage;

// Every image in every size: a 32-bit bitmap file with an alpha channel, of
// headers and `side` rows of `side` pixels, drawn with clear corners, a good
// share of the red sign and more than the sign; its colour is what shows
// where it is opaque.
TEST(ButtonImageFiles, EverySizeHasAlphaASubjectAndARedSign) {
    for (ButtonImage image : {ButtonImage::BlockSenders, ButtonImage::BlockDomains}) {
        for (int side : sw::kButtonImageSizes) {
            const WORD id = sw::ButtonImageId(image, side);
            SCOPED_TRACE(id);
            ASSERT_NE(id, 0);
            std::string_view file = sw::test::ResourceBytes(L"IMAGE", id);
            ASSERT_EQ(file.size(), 14 + 40 + static_cast<size_t>(side * side * 4));

            sw::test::BmpFile bmp(file);
            const BITMAPFILEHEADER& header = bmp.header();
            const BITMAPINFOHEADER& info = bmp.info();
            EXPECT_EQ(header.bfType, 0x4D42); // "BM"
            EXPECT_EQ(header.bfSize, file.size());
            EXPECT_EQ(header.bfOffBits, 14u + 40u);
            EXPECT_EQ(info.biSize, 40u);
            EXPECT_EQ(info.biWidth, side);
            EXPECT_EQ(info.biHeight, side);
            EXPECT_EQ(info.biPlanes, 1);
            EXPECT_EQ(info.biBitCount, 32);
            EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));

            for (auto [x, y] : {std::pair{0, 0}, std::pair{side - 1, 0}})
                EXPECT_EQ(bmp.Pixel(x, y).rgbReserved, 0) << "a clear corner";
            auto isRed = [](RGBQUAD c) {
                return c.rgbReserved == 255 && c.rgbRed > 180 && c.rgbGreen < 70 && c.rgbBlue < 70;
            };
            int red = 0, subject = 0, clear = 0;
            for (LONG y = 0; y < side; ++y) {
                for (LONG x = 0; x < side; ++x) {
                    RGBQUAD c = bmp.Pixel(x, y);
                    red += isRed(c);
                    subject += !isRed(c) && c.rgbReserved > 128;
                    clear += c.rgbReserved == 0;
                }
            }
            const int pixels = side * side;
            EXPECT_GT(red, pixels / 20);
            EXPECT_GT(subject, pixels / 4);
            EXPECT_GT(clear, pixels / 20) << "a background shows through";
        }
    }
}

} // namespace
