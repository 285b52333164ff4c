#include "controls/PictureScaling.h"

namespace {

// How much of target cell `t` source cell `s` covers, in units where a
// source cell is `targetCount` wide and a target cell `sourceCount`.
struct Span {
    int first;   // first source cell
    int last;    // one past the last
};

Span Covered(int t, int sourceCount, int targetCount) {
    const long long from = static_cast<long long>(t) * sourceCount;
    const long long to = from + sourceCount;
    return Span{static_cast<int>(from / targetCount), static_cast<int>((to + targetCount - 1) / targetCount)};
}

long long Overlap(int s, int t, int sourceCount, int targetCount) {
    const long long a = static_cast<long long>(s) * targetCount, b = a + targetCount;
    const long long c = static_cast<long long>(t) * sourceCount, d = c + sourceCount;
    const long long lo = a > c ? a : c, hi = b < d ? b : d;
    return hi > lo ? hi - lo : 0;
}

} // namespace

std::vector<std::uint32_t> ScalePicture(const std::uint32_t* source, int sourceWidth, int sourceHeight,
                                        int width, int height, LONG key) {
    std::vector<std::uint32_t> target(static_cast<size_t>(width) * height);
    const bool keyed = key >= 0 && key <= 0xFFFFFF;
    const std::uint32_t keyPixel = keyed ? (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key) : 0;
    for (int ty = 0; ty < height; ++ty) {
        const Span rows = Covered(ty, sourceHeight, height);
        for (int tx = 0; tx < width; ++tx) {
            const Span columns = Covered(tx, sourceWidth, width);
            unsigned long long r = 0, g = 0, b = 0, weight = 0, keyWeight = 0;
            for (int sy = rows.first; sy < rows.last; ++sy) {
                const long long wy = Overlap(sy, ty, sourceHeight, height);
                const std::uint32_t* row = source + static_cast<size_t>(sy) * sourceWidth;
                for (int sx = columns.first; sx < columns.last; ++sx) {
                    const unsigned long long w = wy * Overlap(sx, tx, sourceWidth, width);
                    const std::uint32_t pixel = row[sx] & 0xFFFFFF;
                    if (keyed && pixel == keyPixel) {
                        keyWeight += w;
                        continue;
                    }
                    r += w * (pixel >> 16);
                    g += w * ((pixel >> 8) & 0xFF);
                    b += w * (pixel & 0xFF);
                    weight += w;
                }
            }
            std::uint32_t& out = target[static_cast<size_t>(ty) * width + tx];
            if (keyed && keyWeight >= weight) {
                out = keyPixel;
            } else {
                const unsigned long long half = weight / 2;
                out = static_cast<std::uint32_t>(((r + half) / weight) << 16 | ((g + half) / weight) << 8 |
                                                 ((b + half) / weight));
            }
        }
    }
    return target;
}
