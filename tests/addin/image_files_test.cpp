#include "platform/resource_ids.h"
#include "tests/addin/bmp_file.h"
#include "tests/addin/resource_bytes.h"

#include <gtest/gtest.h>

namespace {

struct ImageFormat {
    WORD id;
    LONG side;
    WORD bitsPerPixel;
    size_t fileSize;
};

// 8-bit files: headers, 256 palette entries, 32 rows of 32 bytes. 24-bit
// files: headers, 16 rows of 48 bytes.
constexpr ImageFormat kImages[] = {
    {IDB_BLOCK_SENDERS_32, 32, 8, 14 + 40 + 256 * 4 + 32 * 32},
    {IDB_BLOCK_DOMAINS_32, 32, 8, 14 + 40 + 256 * 4 + 32 * 32},
    {IDB_BLOCK_SENDERS_16, 16, 24, 822},
    {IDB_BLOCK_DOMAINS_16, 16, 24, 822},
};

TEST(ButtonImageFiles, HaveTheirFormats) {
    for (const ImageFormat& expected : kImages) {
        SCOPED_TRACE(expected.id);
        std::string_view file = sw::test::ResourceBytes(L"IMAGE", expected.id);
        ASSERT_EQ(file.size(), expected.fileSize);

        sw::test::BmpFile bmp(file);
        const BITMAPFILEHEADER& header = bmp.header();
        const BITMAPINFOHEADER& info = bmp.info();
        EXPECT_EQ(header.bfType, 0x4D42); // "BM"
        EXPECT_EQ(header.bfSize, file.size());
        EXPECT_EQ(info.biSize, 40u);
        EXPECT_EQ(info.biWidth, expected.side);
        EXPECT_EQ(info.biHeight, expected.side);
        EXPECT_EQ(info.biPlanes, 1);
        EXPECT_EQ(info.biBitCount, expected.bitsPerPixel);
        EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
        size_t palette = expected.bitsPerPixel == 8 ? 256 : 0;
        if (palette)
            EXPECT_TRUE(info.biClrUsed == 0 || info.biClrUsed == palette) << info.biClrUsed;
        else
            EXPECT_EQ(info.biClrUsed, 0u);
        EXPECT_EQ(header.bfOffBits, 14 + 40 + palette * 4);
    }
}

// Catches a drawing that came out empty or lost its sign: white corners, a
// good share of the red sign, and more than the sign on white.
TEST(ButtonImageFiles, ShowASubjectWithARedSignOnWhite) {
    for (const ImageFormat& expected : kImages) {
        SCOPED_TRACE(expected.id);
        std::string_view file = sw::test::ResourceBytes(L"IMAGE", expected.id);
        ASSERT_EQ(file.size(), expected.fileSize);
        sw::test::BmpFile bmp(file);
        const BITMAPINFOHEADER& info = bmp.info();

        auto isWhite = [](RGBQUAD c) {
            return c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255;
        };
        auto isRed = [](RGBQUAD c) { return c.rgbRed > 180 && c.rgbGreen < 70 && c.rgbBlue < 70; };
        EXPECT_TRUE(isWhite(bmp.Pixel(0, 0)));
        EXPECT_TRUE(isWhite(bmp.Pixel(info.biWidth - 1, 0)));

        int red = 0, subject = 0;
        for (LONG y = 0; y < info.biHeight; ++y) {
            for (LONG x = 0; x < info.biWidth; ++x) {
                RGBQUAD c = bmp.Pixel(x, y);
                red += isRed(c);
                subject += !isRed(c) && !isWhite(c);
            }
        }
        int pixels = info.biWidth * info.biHeight;
        EXPECT_GT(red, pixels / 20);
        EXPECT_GT(subject, pixels / 4);
    }
}

} // namespace
