#pragma once
#include <windows.h>

// The skin's pictures at the display's scale. Each is drawn at 100 % (the
// bitmap resource of its id) and at 200 % (a PNG resource of the same id);
// a picture for `dpi` is round(size at 100 % x dpi / 96) pixels.

// The drawing a scale starts from, in percent: 100 at 96 dpi and below, else
// the nearest drawn scale at or above it, else the largest drawn.
int SourceScaleFor(int dpi);

// Picture `id` for a display of `dpi`, owned by the caller; null when the
// program has no such picture. At 96 dpi it is the bitmap resource itself.
HBITMAP LoadSkinPicture(UINT id, int dpi);
