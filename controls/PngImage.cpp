#include "controls/PngImage.h"

#include <cstdlib>

#include "controls/Inflate.h"

namespace {

std::uint32_t BigEndian(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes each row's filter in place; `previous` is null on the first row.
bool Unfilter(int filter, std::uint8_t* row, const std::uint8_t* previous, std::size_t length, int bpp) {
    for (std::size_t i = 0; i < length; ++i) {
        const int left = i >= static_cast<std::size_t>(bpp) ? row[i - bpp] : 0;
        const int up = previous ? previous[i] : 0;
        const int upLeft = previous && i >= static_cast<std::size_t>(bpp) ? previous[i - bpp] : 0;
        int predicted;
        switch (filter) {
        case 0: predicted = 0; break;
        case 1: predicted = left; break;
        case 2: predicted = up; break;
        case 3: predicted = (left + up) / 2; break;
        case 4: predicted = Paeth(left, up, upLeft); break;
        default: return false;
        }
        row[i] = static_cast<std::uint8_t>(row[i] + predicted);
    }
    return true;
}

} // namespace

bool DecodePng(const std::uint8_t* data, std::size_t size, PngImage& image) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8) return false;
    for (int i = 0; i < 8; ++i)
        if (data[i] != signature[i]) return false;
    int bpp = 0;
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> compressed;
    for (std::size_t at = 8; at + 12 <= size;) {
        const std::uint32_t length = BigEndian(data + at);
        const std::uint8_t* type = data + at + 4;
        const std::uint8_t* body = data + at + 8;
        if (length > size - at - 12) return false;
        if (type[0] == 'I' && type[1] == 'H' && type[2] == 'D' && type[3] == 'R') {
            if (length < 13) return false;
            width = BigEndian(body);
            height = BigEndian(body + 4);
            const int depth = body[8], colour = body[9], interlace = body[12];
            if (depth != 8 || interlace != 0 || (colour != 2 && colour != 6)) return false;
            if (width == 0 || height == 0 || width > 16384 || height > 16384) return false;
            bpp = colour == 2 ? 3 : 4;
        } else if (type[0] == 'I' && type[1] == 'D' && type[2] == 'A' && type[3] == 'T') {
            compressed.insert(compressed.end(), body, body + length);
        } else if (type[0] == 'I' && type[1] == 'E' && type[2] == 'N' && type[3] == 'D') {
            break;
        }
        at += 12 + length;
    }
    if (bpp == 0) return false;
    const std::size_t stride = static_cast<std::size_t>(width) * bpp;
    std::vector<std::uint8_t> raw;
    raw.reserve((stride + 1) * height);
    if (!Inflate(compressed.data(), compressed.size(), raw) || raw.size() < (stride + 1) * height)
        return false;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    const std::uint8_t* previous = nullptr;
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = raw.data() + y * (stride + 1);
        if (!Unfilter(row[0], row + 1, previous, stride, bpp)) return false;
        std::uint32_t* out = image.pixels.data() + static_cast<std::size_t>(y) * width;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t* p = row + 1 + x * bpp;
            out[x] = (std::uint32_t(p[0]) << 16) | (p[1] << 8) | p[2];
        }
        previous = row + 1;
    }
    return true;
}
