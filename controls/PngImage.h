#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A picture decoded from PNG: top-down rows of 0x00RRGGBB pixels.
struct PngImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Decodes the PNGs the artwork script writes: 8-bit RGB or RGBA (alpha
// dropped: the skin draws opaquely), not interlaced. False for anything else
// or a damaged file.
bool DecodePng(const std::uint8_t* data, std::size_t size, PngImage& image);
