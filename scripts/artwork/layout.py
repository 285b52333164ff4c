"""Where the wizard puts things on its 584 x 411 window, and the colours the
program itself draws with; the artwork is fitted around them."""

WIDTH, HEIGHT = 584, 411
KEY = (255, 0, 255)

TITLE = (14, 7, 14 + 524, 7 + 15)
UPPER_TEXT = (35, 55, 35 + 514, 55 + 35)
LOWER_TEXT = (200, 170, 200 + 354, 170 + 60)
CLOSE_AT = (552, 11)
ACTION_AT = (312, 380)
CANCEL_AT = (451, 380)
LAUNCH_AT = (200, 235)
PROGRESS = (205, 235, 205 + 339, 235 + 30)

BUTTON_SIZE = (111, 22)
CLOSE_SIZE = (20, 17)
BOX_SIZE = (21, 24)

TITLE_COLOUR = (85, 0, 0)        # COLORREF 0x000055
CAPTION_COLOUR = (255, 255, 255)
# The launch box fills its whole face with this before it draws its picture.
LAUNCH_FACE = (71, 93, 173)
