// Reads the headers and pixels of an uncompressed bitmap file held in memory.
#pragma once

#include <windows.h>

#include <cstring>
#include <string_view>

namespace sw::test {

class BmpFile {
public:
    // `bytes` must hold at least the two headers; pixels are read unchecked.
    explicit BmpFile(std::string_view bytes) : m_bytes(bytes) {
        std::memcpy(&m_header, bytes.data(), sizeof m_header);
        std::memcpy(&m_info, bytes.data() + sizeof m_header, sizeof m_info);
    }

    const BITMAPFILEHEADER& header() const { return m_header; }
    const BITMAPINFOHEADER& info() const { return m_info; }

    // The colour of pixel (x, y), row 0 at the top, for bottom-up files with
    // 8 bits per pixel (palette), 24 or 32 (rgbReserved: the alpha).
    RGBQUAD Pixel(LONG x, LONG y) const {
        size_t stride = ((m_info.biWidth * m_info.biBitCount + 31) / 32) * 4;
        const char* row = m_bytes.data() + m_header.bfOffBits + (m_info.biHeight - 1 - y) * stride;
        RGBQUAD colour{};
        if (m_info.biBitCount == 8) {
            auto index = static_cast<unsigned char>(row[x]);
            std::memcpy(&colour,
                        m_bytes.data() + sizeof m_header + m_info.biSize + index * sizeof colour,
                        sizeof colour);
            colour.rgbReserved = 0;
        } else if (m_info.biBitCount == 32) {
            std::memcpy(&colour, row + x * 4, 4);
        } else {
            std::memcpy(&colour, row + x * 3, 3);
        }
        return colour;
    }

private:
    std::string_view m_bytes;
    BITMAPFILEHEADER m_header;
    BITMAPINFOHEADER m_info;
};

} // namespace sw::test
