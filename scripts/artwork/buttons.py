"""The button pictures. Each is drawn over the piece of the background it will
stand on, so its rounded edges blend in although the buttons draw opaquely."""

from canvas import Canvas
from layout import BOX_SIZE, BUTTON_SIZE, CLOSE_SIZE, LAUNCH_FACE

PUSH_STATES = {
    'normal': dict(stops=[(0, (64, 98, 192)), (0.5, (50, 80, 172)), (0.52, (36, 64, 152)), (1, (30, 56, 140))],
                   edge=(10, 20, 60), shine=0.6),
    'pressed': dict(stops=[(0, (26, 46, 116)), (0.5, (36, 60, 140)), (1, (56, 86, 176))],
                    edge=(8, 16, 48), shine=0.0),
    'hover': dict(stops=[(0, (72, 112, 212)), (0.5, (60, 98, 200)), (0.52, (46, 82, 186)), (1, (40, 76, 180))],
                  edge=(120, 190, 255), shine=0.9),
}


def push_button(state, ground):
    """111 x 22: a glossy blue bar with room for a white caption."""
    look = PUSH_STATES[state]
    width, height = BUTTON_SIZE
    canvas = Canvas(width, height, base=ground)
    face = (0, 0, width, height)
    canvas.paint(canvas.rect_mask(face, 4), look['edge'])
    inner = (1, 1, width - 1, height - 1)
    canvas.paint(canvas.rect_mask(inner, 3), canvas.vertical(inner, look['stops']))
    if look['shine']:
        canvas.paint(canvas.ring_mask(inner, 3, 1), canvas.vertical(inner,
                     [(0, (210, 226, 255)), (0.6, (120, 150, 230, 0)), (1, (120, 150, 230, 0))]),
                     opacity=look['shine'])
    else:
        canvas.paint(canvas.rect_mask((2, 1, width - 2, 3), 1), (6, 12, 40), opacity=0.45)
    return canvas.image().convert('RGB')


CLOSE_STATES = {
    'normal': dict(face=[(0, (246, 248, 252)), (1, (208, 216, 232))], edge=(132, 146, 178),
                   glyph=(64, 78, 112)),
    'hover': dict(face=[(0, (236, 112, 96)), (1, (180, 36, 30))], edge=(120, 20, 16),
                  glyph=(255, 255, 255)),
    'disabled': dict(face=[(0, (242, 244, 248)), (1, (226, 230, 238))], edge=(190, 196, 210),
                     glyph=(178, 184, 198)),
}


def close_button(state, ground):
    """20 x 17: a small rounded key with a cross, like a caption's close button."""
    look = CLOSE_STATES[state]
    width, height = CLOSE_SIZE
    canvas = Canvas(width, height, scale=8, base=ground)
    face = (0, 0, width, height)
    canvas.paint(canvas.rect_mask(face, 3.5), look['edge'])
    inner = (1, 1, width - 1, height - 1)
    canvas.paint(canvas.rect_mask(inner, 2.5), canvas.vertical(inner, look['face']))
    cx, cy, arm = width / 2, height / 2, 3.6
    for sign in (1, -1):
        canvas.paint(canvas.line_mask([(cx - arm, cy - arm * sign), (cx + arm, cy + arm * sign)], 2.2),
                     look['glyph'])
    return canvas.image()


def check_box(checked):
    """21 x 24 on the launch box's face colour: a white square, ticked in green."""
    width, height = BOX_SIZE
    canvas = Canvas(width, height, scale=8)
    canvas.paint(canvas.rect_mask((0, 0, width, height)), LAUNCH_FACE)
    box = (3, 5, 18, 20)
    canvas.paint(canvas.rect_mask((box[0], box[1] + 1, box[2], box[3] + 1), 2.5), (20, 32, 84), opacity=0.5)
    canvas.paint(canvas.rect_mask(box, 2.5), (22, 36, 96))
    inner = (box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1)
    canvas.paint(canvas.rect_mask(inner, 1.5), canvas.vertical(inner,
                 [(0, (255, 255, 255)), (1, (210, 220, 240))]))
    if checked:
        tick = [(6.2, 12.4), (9.4, 15.8), (15.8, 7.6)]
        canvas.paint(canvas.line_mask(tick, 3.4), (12, 70, 30), opacity=0.35, blur=0.4)
        canvas.paint(canvas.line_mask(tick, 2.6), (30, 150, 60))
    return canvas.image().convert('RGB')
