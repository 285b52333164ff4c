"""The product illustration in the body's left column: a drive-array enclosure
in three-quarter view with five drive sleds, standing on a glossy floor."""

from PIL import Image, ImageChops

from canvas import Canvas

SIZE = (186, 329)         # the column, from the top of the body to the button bar
FRONT = (30, 112, 130, 292)
DEPTH = (38, -24)         # how far the back edges lie right of and above the front
BAYS = 5
BAY_HEIGHT, BAY_GAP = 28, 5

LED_GREEN = (96, 255, 150)
LED_BLUE = (100, 196, 255)
LED_AMBER = (255, 196, 80)


def _enclosure(canvas):
    x0, y0, x1, y1 = FRONT
    dx, dy = DEPTH
    top = [(x0, y0), (x1, y0), (x1 + dx, y0 + dy), (x0 + dx, y0 + dy)]
    side = [(x1, y0), (x1 + dx, y0 + dy), (x1 + dx, y1 + dy), (x1, y1)]
    canvas.paint(canvas.polygon_mask(top), canvas.vertical((0, y0 + dy, 0, y0),
                 [(0, (150, 162, 190)), (1, (104, 116, 148))]))
    canvas.paint(canvas.polygon_mask(side), canvas.vertical((0, y0 + dy, 0, y1),
                 [(0, (52, 62, 92)), (1, (26, 32, 52))]))
    for i in range(9):
        y = y0 + 26 + i * 16
        t = lambda x: y + dy * (x - x1) / dx
        vent = [(x1 + 9, t(x1 + 9)), (x1 + dx - 8, t(x1 + dx - 8)),
                (x1 + dx - 8, t(x1 + dx - 8) + 4), (x1 + 9, t(x1 + 9) + 4)]
        canvas.paint(canvas.polygon_mask(vent), (16, 20, 36), opacity=0.8)
    canvas.paint(canvas.line_mask([(x1, y0), (x1 + dx, y0 + dy)], 1), (196, 206, 230), opacity=0.8)
    canvas.paint(canvas.rect_mask(FRONT, 4), canvas.vertical(FRONT,
                 [(0, (76, 88, 122)), (1, (40, 48, 74))]))
    canvas.paint(canvas.ring_mask(FRONT, 4, 1), (150, 164, 200), opacity=0.7)


def _sled(canvas, top, led):
    x0, _, x1, _ = FRONT
    box = (x0 + 7, top, x1 - 7, top + BAY_HEIGHT)
    canvas.paint(canvas.rect_mask(box, 3), canvas.vertical(box,
                 [(0, (196, 204, 222)), (0.45, (160, 170, 194)), (1, (112, 122, 150))]))
    canvas.paint(canvas.ring_mask(box, 3, 1), (34, 40, 62), opacity=0.9)
    grip = (box[0] + 8, top + 10, box[2] - 26, top + 18)
    canvas.paint(canvas.rect_mask(grip, 3), (44, 52, 76))
    canvas.paint(canvas.rect_mask((grip[0], grip[3] - 1, grip[2], grip[3]), 0), (232, 236, 246), opacity=0.6)
    for i, colour in enumerate((led, LED_BLUE)):
        cx, cy = box[2] - 17 + i * 9, top + 14
        canvas.paint(canvas.ellipse_mask((cx - 5, cy - 5, cx + 5, cy + 5)), colour, opacity=0.55, blur=2)
        canvas.paint(canvas.ellipse_mask((cx - 2.2, cy - 2.2, cx + 2.2, cy + 2.2)), colour)
        canvas.paint(canvas.ellipse_mask((cx - 1, cy - 1.6, cx + 0.6, cy)), (255, 255, 255), opacity=0.8)


def _array():
    canvas = Canvas(*SIZE)
    _enclosure(canvas)
    first = FRONT[1] + (FRONT[3] - FRONT[1] - BAYS * BAY_HEIGHT - (BAYS - 1) * BAY_GAP) // 2
    for bay in range(BAYS):
        led = LED_AMBER if bay == 2 else LED_GREEN
        _sled(canvas, first + bay * (BAY_HEIGHT + BAY_GAP), led)
    return canvas


def _reflection(array):
    """The enclosure mirrored under its front edge, fading out."""
    floor = FRONT[3] * array.unit
    mirrored = array.big.crop((0, 0, array.big.size[0], floor)).transpose(Image.FLIP_TOP_BOTTOM)
    fade = Canvas(*SIZE).vertical((0, 0, 0, 36), [(0, (0, 0, 0, 90)), (1, (0, 0, 0, 0))]).getchannel('A')
    fade = fade.crop((0, 0, mirrored.size[0], mirrored.size[1]))
    mirrored.putalpha(ImageChops.multiply(mirrored.getchannel('A'), fade))
    layer = Image.new('RGBA', array.big.size, (0, 0, 0, 0))
    layer.paste(mirrored, (0, floor))
    return layer


def draw_drive_array():
    array = _array()
    scene = Canvas(*SIZE)
    x0, _, x1, y1 = FRONT
    scene.paint(scene.ellipse_mask((x0 - 14, y1 - 10, x1 + DEPTH[0] + 12, y1 + 14)), (0, 4, 16),
                opacity=0.7, blur=5)
    scene.big = Image.alpha_composite(scene.big, _reflection(array))
    scene.big = Image.alpha_composite(scene.big, array.big)
    return scene.image()
