#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// A picture of top-down 0x00RRGGBB pixels resampled to another size by the
// area each target pixel covers (a box filter: sharp when reducing, no
// ringing). Pixels of the key colour, which shape a window, are not blended:
// a target pixel is the key colour when the key covers at least half of it,
// otherwise the average of the other pixels beneath it. Key -1: none.
std::vector<std::uint32_t> ScalePicture(const std::uint32_t* source, int sourceWidth, int sourceHeight,
                                        int width, int height, LONG key);
