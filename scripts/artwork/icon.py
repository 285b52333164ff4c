"""Icon 128: the drive-array enclosure of the illustration, small; the larger
images carry an arrow badge that marks the program as the installer."""

from PIL import Image

from canvas import Canvas
from illustration import LED_AMBER, LED_BLUE, LED_GREEN

UNIT = 48  # the drawing's own coordinates; every size is scaled from them


class _Scaled:
    """A canvas addressed in 48-unit coordinates whatever its real size."""

    def __init__(self, size):
        self.canvas = Canvas(size, size, scale=max(8, 384 // size))
        self.k = size / UNIT

    def pts(self, points):
        return [(x * self.k, y * self.k) for x, y in points]

    def box(self, box):
        return tuple(v * self.k for v in box)

    def paint(self, mask, fill, **options):
        self.canvas.paint(mask, fill, **options)


def _enclosure(s, front, depth, sleds, lamps):
    c = s.canvas
    x0, y0, x1, y1 = front
    dx, dy = depth
    s.paint(c.polygon_mask(s.pts([(x0, y0), (x1, y0), (x1 + dx, y0 + dy), (x0 + dx, y0 + dy)])),
            c.vertical(s.box((0, y0 + dy, 0, y0)), [(0, (178, 190, 216)), (1, (120, 134, 168))]))
    s.paint(c.polygon_mask(s.pts([(x1, y0), (x1 + dx, y0 + dy), (x1 + dx, y1 + dy), (x1, y1)])),
            c.vertical(s.box((0, y0 + dy, 0, y1)), [(0, (60, 72, 108)), (1, (30, 36, 60))]))
    s.paint(c.rect_mask(s.box(front), 1.5 * s.k), c.vertical(s.box(front),
            [(0, (80, 94, 134)), (1, (36, 44, 72))]))
    s.paint(c.ring_mask(s.box(front), 1.5 * s.k, max(1.0, s.k)), (20, 26, 46))
    for top, height, led in sleds:
        sled = (x0 + 2.5, top, x1 - 2.5, top + height)
        s.paint(c.rect_mask(s.box(sled), 1 * s.k), c.vertical(s.box(sled),
                [(0, (214, 222, 238)), (1, (128, 140, 170))]))
        cy = top + height / 2
        s.paint(c.rect_mask(s.box((sled[0] + 2, cy - 1, sled[2] - 8, cy + 1)), 0), (52, 62, 92))
        for i, colour in enumerate((led, LED_BLUE)[:lamps]):
            cx = sled[2] - 5.5 + i * 3.2
            r = 1.3
            s.paint(c.ellipse_mask(s.box((cx - r, cy - r, cx + r, cy + r))), colour)


def _badge(s):
    c = s.canvas
    ring = (27, 27, 47, 47)
    s.paint(c.ellipse_mask(s.box((28, 29, 47.5, 48))), (0, 0, 0), opacity=0.35, blur=0.6 * s.k)
    s.paint(c.ellipse_mask(s.box(ring)), (255, 255, 255))
    disc = (28.8, 28.8, 45.2, 45.2)
    s.paint(c.ellipse_mask(s.box(disc)), c.vertical(s.box(disc), [(0, (96, 220, 120)), (1, (20, 132, 52))]))
    arrow = [(34.5, 31.5), (38.5, 31.5), (38.5, 36.5), (41.8, 36.5), (36.5, 42.5), (31.2, 36.5), (34.5, 36.5)]
    s.paint(c.polygon_mask(s.pts(arrow)), (255, 255, 255))


def make_icon(size):
    s = _Scaled(size)
    if size >= 32:
        _enclosure(s, (4, 15, 32, 45), (11, -9), [(18.5, 7, LED_GREEN), (27, 7, LED_AMBER), (35.5, 7, LED_GREEN)], 2)
        _badge(s)
    else:
        # Three pixels per sled leave no room for the badge or a second lamp.
        _enclosure(s, (3, 12, 36, 45), (9, -9), [(16, 8, LED_GREEN), (26, 8, LED_GREEN), (36, 8, LED_GREEN)], 1)
    image = s.canvas.image()
    return image if size >= 32 else _hard_edged(image)


def _hard_edged(image):
    """The 24-bit image has no alpha: its mask is all or nothing."""
    alpha = image.getchannel('A').point(lambda a: 255 if a >= 128 else 0)
    solid = image.copy()
    solid.putalpha(alpha)
    return Image.composite(solid, Image.new('RGBA', image.size, (0, 0, 0, 0)), alpha)
