#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/PngWriter.h"

namespace {

std::string Bytes(std::initializer_list<unsigned> values) {
    std::string out;
    for (unsigned v : values) out += static_cast<char>(v);
    return out;
}

uint32_t Big32(const std::string& data, size_t at) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(data[at])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(data[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(data[at + 2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(data[at + 3]));
}

// One red pixel: the file that a PNG decoder reads back as that pixel (the
// checksums were worked out apart from the writer).
TEST(PngWriterTest, OnePixelIsTheKnownFile) {
    const uint32_t red = 0x00FF0000u;
    const std::string png = png::Encode(1, 1, &red);
    const std::string expected =
        Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}) +
        Bytes({0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0,
               0x90, 0x77, 0x53, 0xDE}) +
        Bytes({0, 0, 0, 15, 'I', 'D', 'A', 'T', 0x78, 0x01, 0x01, 0x04, 0x00, 0xFB, 0xFF,
               0x00, 0xFF, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00}) +
        Bytes({0x8D, 0x1D, 0xE5, 0x82}) + // the IDAT checksum
        Bytes({0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    EXPECT_EQ(expected, png);
}

// A window-sized picture needs more than one stored block (65,535 bytes at
// most each): read them back and get every row, filter byte first.
TEST(PngWriterTest, LargePictureSplitsIntoBlocksThatHoldEveryPixel) {
    const int width = 584, height = 411;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFFu;
    const std::string png = png::Encode(width, height, pixels.data());

    const size_t idat = png.find("IDAT");
    ASSERT_NE(std::string::npos, idat);
    const uint32_t length = Big32(png, idat - 4);
    const std::string zlib = png.substr(idat + 4, length);
    std::string raw;
    size_t at = 2;
    int blocks = 0;
    bool last = false;
    while (!last) {
        ASSERT_LT(at + 5, zlib.size());
        last = (zlib[at] & 1) != 0;
        const unsigned len = static_cast<unsigned char>(zlib[at + 1]) | (static_cast<unsigned char>(zlib[at + 2]) << 8);
        const unsigned nlen = static_cast<unsigned char>(zlib[at + 3]) | (static_cast<unsigned char>(zlib[at + 4]) << 8);
        ASSERT_EQ(0xFFFFu, len ^ nlen);
        raw += zlib.substr(at + 5, len);
        at += 5 + len;
        ++blocks;
    }
    EXPECT_EQ(at + 4, zlib.size()); // the Adler-32 checksum ends the stream
    EXPECT_GT(blocks, 1);
    ASSERT_EQ(static_cast<size_t>(height) * (width * 3 + 1), raw.size());
    for (int y : {0, 200, height - 1}) {
        const size_t row = static_cast<size_t>(y) * (width * 3 + 1);
        EXPECT_EQ('\0', raw[row]);
        for (int x : {0, 1, width - 1}) {
            const uint32_t pixel = pixels[static_cast<size_t>(y) * width + x];
            const std::string rgb = raw.substr(row + 1 + static_cast<size_t>(x) * 3, 3);
            EXPECT_EQ(Bytes({(pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF}), rgb)
                << "pixel " << x << "," << y;
        }
    }
}

} // namespace
