"""Writers for the two Windows image formats the resource compiler takes.

Both are written by hand: the resource compiler and LoadBitmap/LoadIcon on
Windows XP want plain BITMAPINFOHEADER bitmaps with BI_RGB, which Pillow does
not write for 32 bits per pixel, and icon images in the bitmap form (Windows XP
cannot read PNG icon images).
"""

import struct

from PIL import Image

BI_RGB = 0
PIXELS_PER_METRE = 2835  # 72 dpi


def _info_header(width, height, bpp, image_size):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, BI_RGB,
                       image_size, PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)


def _pixel_rows(image, bpp):
    """Bottom-up rows of BGR or BGRA pixels, each padded to 4 bytes."""
    mode = 'BGRA' if bpp == 32 else 'BGR'
    source = image.convert('RGBA' if bpp == 32 else 'RGB')
    width, height = source.size
    raw = source.tobytes('raw', mode)
    stride = width * bpp // 8
    padding = b'\0' * ((4 - stride % 4) % 4)
    rows = [raw[y * stride:(y + 1) * stride] + padding for y in range(height)]
    return b''.join(reversed(rows))


def _mask_rows(alpha):
    """The icon's AND mask: 1 where the pixel is transparent."""
    width, height = alpha.size
    stride = (width + 31) // 32 * 4
    rows = []
    for y in range(height):
        row = bytearray(stride)
        for x in range(width):
            if alpha.getpixel((x, y)) < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b''.join(reversed(rows))


def write_bmp(path, image, bpp):
    """A .bmp file of 24 or 32 bits per pixel; 32-bit pixels keep their alpha."""
    width, height = image.size
    pixels = _pixel_rows(image, bpp)
    offset = 14 + 40
    with open(path, 'wb') as out:
        out.write(struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset))
        out.write(_info_header(width, height, bpp, len(pixels)))
        out.write(pixels)


def _icon_image(image, bpp):
    rgba = image.convert('RGBA')
    width, height = rgba.size
    alpha = rgba.getchannel('A')
    if bpp == 24:
        # Without an alpha channel the mask alone cuts the shape: transparent
        # pixels are black so that the XOR step leaves the screen as it is.
        black = Image.new('RGBA', rgba.size, (0, 0, 0, 255))
        opaque = alpha.point(lambda a: 255 if a >= 128 else 0)
        rgba = Image.composite(rgba, black, opaque)
    pixels = _pixel_rows(rgba, bpp)
    mask = _mask_rows(alpha)
    # The height in an icon's header counts the colour and the mask bitmaps.
    return _info_header(width, height * 2, bpp, len(pixels) + len(mask)) + pixels + mask


def write_ico(path, images):
    """An .ico file from (RGBA image, bits per pixel) pairs, in that order."""
    bodies = [_icon_image(image, bpp) for image, bpp in images]
    offset = 6 + 16 * len(images)
    with open(path, 'wb') as out:
        out.write(struct.pack('<HHH', 0, 1, len(images)))
        for (image, bpp), body in zip(images, bodies):
            width, height = image.size
            out.write(struct.pack('<BBBBHHII', width % 256, height % 256, 0, 0,
                                  1, bpp, len(body), offset))
            offset += len(body)
        for body in bodies:
            out.write(body)
