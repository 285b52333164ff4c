"""Anti-aliased drawing: shapes are drawn at a multiple of the final size and
reduced with a box filter, so fully covered pixels keep their exact colour.

Coordinates are always those of the 100 % picture; set_zoom draws every
picture at another display scale (2 for 200 %), from the same shapes."""

from PIL import Image, ImageChops, ImageDraw, ImageFilter

_zoom = 1


def set_zoom(zoom):
    """The display scale the following pictures are drawn for (1, 2)."""
    global _zoom
    _zoom = zoom


def zoom():
    return _zoom


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def rgba(colour):
    """An (r, g, b) or (r, g, b, a) colour as (r, g, b, a)."""
    return tuple(colour) if len(colour) == 4 else tuple(colour) + (255,)


def gradient_column(height, stops):
    """A 1-pixel-wide RGBA column running through (position 0..1, colour) stops."""
    column = Image.new('RGBA', (1, height))
    for y in range(height):
        t = (y + 0.5) / height
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                colour = lerp(rgba(c0), rgba(c1), (t - t0) / (t1 - t0) if t1 > t0 else 0)
                break
        else:
            colour = rgba(stops[-1][1])
        column.putpixel((0, y), colour)
    return column


class Canvas:
    """An RGBA picture of width x height (100 % units) drawn at `scale` times
    its zoomed size; `base` is a picture of the zoomed size."""

    def __init__(self, width, height, scale=4, base=None):
        self.width, self.height, self.scale = width, height, scale
        # Big pixels per 100 % pixel.
        self.unit = scale * _zoom
        size = (width * self.unit, height * self.unit)
        if base is None:
            self.big = Image.new('RGBA', size, (0, 0, 0, 0))
        else:
            self.big = base.convert('RGBA').resize(size, Image.NEAREST)

    def _xy(self, points):
        return [(x * self.unit, y * self.unit) for x, y in points]

    def _box(self, box):
        x0, y0, x1, y1 = box
        s = self.unit
        return (x0 * s, y0 * s, x1 * s - 1, y1 * s - 1)

    def blank(self):
        return Image.new('L', self.big.size, 0)

    def rect_mask(self, box, radius=0):
        mask = self.blank()
        ImageDraw.Draw(mask).rounded_rectangle(self._box(box), radius * self.unit, fill=255)
        return mask

    def polygon_mask(self, points):
        mask = self.blank()
        ImageDraw.Draw(mask).polygon(self._xy(points), fill=255)
        return mask

    def ellipse_mask(self, box):
        mask = self.blank()
        ImageDraw.Draw(mask).ellipse(self._box(box), fill=255)
        return mask

    def line_mask(self, points, width):
        mask = self.blank()
        ImageDraw.Draw(mask).line(self._xy(points), fill=255, width=round(width * self.unit),
                                  joint='curve')
        return mask

    def ring_mask(self, box, radius, width):
        """The outline of a rounded rectangle, `width` pixels thick, inside `box`."""
        x0, y0, x1, y1 = box
        inner = (x0 + width, y0 + width, x1 - width, y1 - width)
        return ImageChops.subtract(self.rect_mask(box, radius),
                                   self.rect_mask(inner, max(radius - width, 0)))

    def vertical(self, box, stops):
        """A fill whose colour runs through `stops` from the top to the bottom of `box`."""
        x0, y0, x1, y1 = box
        s = self.unit
        height = max(1, round((y1 - y0) * s))
        column = gradient_column(height, stops)
        fill = Image.new('RGBA', self.big.size, column.getpixel((0, 0)))
        fill.paste(column.resize((self.big.size[0], height)), (0, round(y0 * s)))
        below = round(y0 * s) + height
        if below < self.big.size[1]:
            fill.paste(column.getpixel((0, height - 1)), (0, below, self.big.size[0], self.big.size[1]))
        return fill

    def paint(self, mask, fill, opacity=1.0, blur=0):
        """Lays `fill` (a colour or a full-size picture) through `mask`."""
        if blur:
            mask = mask.filter(ImageFilter.GaussianBlur(blur * self.unit))
        if isinstance(fill, tuple):
            fill = Image.new('RGBA', self.big.size, rgba(fill))
        alpha = ImageChops.multiply(fill.getchannel('A'), mask)
        if opacity < 1.0:
            alpha = alpha.point(lambda a: round(a * opacity))
        layer = fill.copy()
        layer.putalpha(alpha)
        self.big = Image.alpha_composite(self.big, layer)

    def image(self):
        return self.big.reduce(self.scale)
