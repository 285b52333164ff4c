"""Bitmap 130: the window's background and, through its magenta corners, its shape."""

from PIL import Image

from canvas import Canvas, lerp, zoom
from illustration import draw_drive_array
from layout import HEIGHT, KEY, LAUNCH_FACE, WIDTH

STRIP_BOTTOM = 34            # the light title strip covers rows 0..33
BAR_TOP = 366                # the button bar covers rows 366..410
PANEL = (186, 150, 574, 306)  # the text panel around the lower text and the launch box

# Key pixels per row of each corner, from the outer row inwards. Three
# corners take 18 pixels and one 17: the window needs exactly 71.
ROUND_CORNER = (6, 4, 3, 2, 1, 1, 1)
SHORT_CORNER = (6, 4, 3, 2, 1, 1)
CORNERS = {'top-left': ROUND_CORNER, 'top-right': ROUND_CORNER,
           'bottom-left': ROUND_CORNER, 'bottom-right': SHORT_CORNER}

STRIP_TOP_COLOUR = (253, 253, 254)
STRIP_BOTTOM_COLOUR = (221, 227, 238)
NAVY_TOP = (13, 24, 60)
NAVY_BOTTOM = (24, 42, 98)
BAR_COLOUR = (10, 18, 46)
PANEL_EDGE = (112, 134, 210)


def key_pixels():
    """Every (x, y) of the window that lies outside its rounded shape, at the
    zoom the pictures are drawn at: each corner pixel of the 100 % window
    is a zoom x zoom square, so the shape's area scales exactly."""
    z = zoom()
    width, height = WIDTH * z, HEIGHT * z
    pixels = set()
    for name, rows in CORNERS.items():
        for depth in range(len(rows) * z):
            count = rows[depth // z] * z
            y = depth if name.startswith('top') else height - 1 - depth
            for i in range(count):
                x = i if name.endswith('left') else width - 1 - i
                pixels.add((x, y))
    return pixels


def _rows(image, top, bottom, colour_at):
    """Rows top..bottom (100 % units), each a colour of its 100 % row
    position, which runs on between rows when zoomed."""
    z = zoom()
    for y in range(top * z, bottom * z):
        image.paste(colour_at(y / z if z > 1 else y), (0, y, WIDTH * z, y + 1))


def _band(image, colour, top, bottom):
    z = zoom()
    image.paste(colour, (0, top * z, WIDTH * z, bottom * z))


def _base():
    image = Image.new('RGB', (WIDTH * zoom(), HEIGHT * zoom()))
    _rows(image, 0, STRIP_BOTTOM,
          lambda y: lerp(STRIP_TOP_COLOUR, STRIP_BOTTOM_COLOUR, y / (STRIP_BOTTOM - 1)))
    _band(image, (255, 255, 255), STRIP_BOTTOM, STRIP_BOTTOM + 1)
    _band(image, (150, 28, 30), STRIP_BOTTOM + 1, STRIP_BOTTOM + 3)
    _rows(image, STRIP_BOTTOM + 3, BAR_TOP,
          lambda y: lerp(NAVY_TOP, NAVY_BOTTOM, (y - STRIP_BOTTOM) / (BAR_TOP - STRIP_BOTTOM)))
    _band(image, (58, 80, 150), BAR_TOP, BAR_TOP + 1)
    _rows(image, BAR_TOP + 1, HEIGHT,
          lambda y: lerp((16, 27, 66), BAR_COLOUR, (y - BAR_TOP) / (HEIGHT - BAR_TOP)))
    return image


def _glow(canvas):
    """Soft light behind the illustration and across the top of the body."""
    canvas.paint(canvas.ellipse_mask((-40, 130, 230, 380)), (52, 96, 200), opacity=0.45, blur=40)
    canvas.paint(canvas.ellipse_mask((200, -60, 700, 150)), (48, 80, 170), opacity=0.35, blur=45)


def _panel(canvas):
    x0, y0, x1, y1 = PANEL
    canvas.paint(canvas.rect_mask((x0 + 2, y0 + 3, x1 + 2, y1 + 4), 9), (4, 10, 30), opacity=0.55, blur=3)
    canvas.paint(canvas.rect_mask(PANEL, 8), PANEL_EDGE)
    canvas.paint(canvas.rect_mask((x0 + 1, y0 + 1, x1 - 1, y1 - 1), 7), LAUNCH_FACE)


def _outline(image, keys):
    """Darkens the window's outermost pixels (zoom of them deep) so that its
    edge reads crisply."""
    z = zoom()
    width, height = WIDTH * z, HEIGHT * z
    steps = [(d * k, e * k) for k in range(1, z + 1) for d, e in ((1, 0), (-1, 0), (0, 1), (0, -1))]

    def outside(x, y):
        return not (0 <= x < width and 0 <= y < height) or (x, y) in keys
    edge_columns = tuple(range(2 * z)) + tuple(range(width - 2 * z, width))
    for y in range(height):
        xs = range(width) if y < 9 * z or y > height - 10 * z else edge_columns
        for x in xs:
            if (x, y) in keys:
                continue
            if any(outside(x + dx, y + dy) for dx, dy in steps):
                edge = (120, 132, 158) if y < STRIP_BOTTOM * z else (6, 10, 28)
                image.putpixel((x, y), lerp(image.getpixel((x, y)), edge, 0.8))


def make_background():
    canvas = Canvas(WIDTH, HEIGHT, scale=2, base=_base())
    body = canvas.rect_mask((0, STRIP_BOTTOM + 3, WIDTH, BAR_TOP))
    glow = Canvas(WIDTH, HEIGHT, scale=2)
    _glow(glow)
    canvas.paint(body, glow.big)
    _panel(canvas)
    picture = canvas.image()
    picture.alpha_composite(draw_drive_array(), (0, (STRIP_BOTTOM + 3) * zoom()))
    image = picture.convert('RGB')
    keys = key_pixels()
    _outline(image, keys)
    for pixel in keys:
        image.putpixel(pixel, KEY)
    return image
