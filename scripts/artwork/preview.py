"""A picture of the wizard as the user will see it: the background with the
buttons at their places and sample texts, for judging the artwork."""

from PIL import Image, ImageDraw, ImageFont

from layout import (ACTION_AT, BOX_SIZE, CANCEL_AT, CAPTION_COLOUR, CLOSE_AT, HEIGHT, LAUNCH_AT,
                    LOWER_TEXT, PROGRESS, TITLE, TITLE_COLOUR, UPPER_TEXT, WIDTH)

LATIN = '/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf'
CJK = '/usr/share/fonts/truetype/wqy/wqy-microhei.ttc'

PAGES = {
    'ready': dict(title='Arrayvane - Installation Wizard', upper='精靈已準備就緒，可以開始安裝了。',
                  lower='按一下「安裝」以開始安裝。按一下「取消」結束安裝精靈。',
                  action='安裝', cancel='取消', cancel_enabled=True),
    'progress': dict(title='Arrayvane - Installation Wizard', upper='The wizard is installing Arrayvane...',
                     lower='Copying files', action='Install', cancel='Cancel', cancel_enabled=False,
                     progress=55),
    'finished': dict(title='Arrayvane - Installation Wizard', upper='安裝精靈已成功完成安裝了。',
                     lower='按一下「完成」以結束精靈。', action='完成', cancel='取消',
                     cancel_enabled=False, launch='立即啟動應用程式'),
}


def _font(path, pixels):
    return ImageFont.truetype(path, pixels)


def _runs(text):
    """Splits text into runs of Latin and of CJK characters."""
    runs = []
    for ch in text:
        cjk = ord(ch) >= 0x2E80
        if runs and runs[-1][0] == cjk:
            runs[-1][1] += ch
        else:
            runs.append([cjk, ch])
    return runs


def _width(text, pixels):
    return sum(_font(CJK if cjk else LATIN, pixels).getlength(run) for cjk, run in _runs(text))


def _text(draw, xy, text, pixels, colour):
    x, y = xy
    for cjk, run in _runs(text):
        font = _font(CJK if cjk else LATIN, pixels)
        for dx in ((0, 1) if cjk else (0,)):  # the system makes CJK bold by doubling
            draw.text((x + dx, y), run, font=font, fill=colour)
        x += font.getlength(run)


def _wrapped(draw, box, text, pixels, colour):
    x0, y0, x1, _ = box
    line, y = '', y0
    for ch in text:
        if _width(line + ch, pixels) > x1 - x0:
            _text(draw, (x0, y), line, pixels, colour)
            line, y = '', y + pixels + 4
        line += ch
    _text(draw, (x0, y), line, pixels, colour)


def _centred(draw, origin, size, text, pixels, colour):
    x = origin[0] + (size[0] - _width(text, pixels)) / 2
    y = origin[1] + (size[1] - pixels) / 2 - 1
    _text(draw, (x, y), text, pixels, colour)


def _page(art, page):
    window = art['background'].convert('RGB')
    draw = ImageDraw.Draw(window)
    _text(draw, TITLE[:2], page['title'], 15, TITLE_COLOUR)
    _wrapped(draw, UPPER_TEXT, page['upper'], 14, CAPTION_COLOUR)
    _wrapped(draw, LOWER_TEXT, page['lower'], 12, CAPTION_COLOUR)
    window.paste(art['close_normal'].convert('RGB'), CLOSE_AT)
    button = art['button_hover'] if page.get('launch') else art['button_normal']
    size = button.size
    window.paste(button, ACTION_AT)
    _centred(draw, ACTION_AT, size, page['action'], 12, CAPTION_COLOUR)
    window.paste(art['button_normal'], CANCEL_AT)
    _centred(draw, CANCEL_AT, size, page['cancel'], 12,
             CAPTION_COLOUR if page['cancel_enabled'] else (128, 128, 128))
    if 'progress' in page:
        x0, y0, x1, y1 = PROGRESS
        draw.rectangle((x0, y0, x1 - 1, y1 - 1), fill=(255, 255, 255), outline=(0, 0, 0))
        done = x0 + 2 + (x1 - x0 - 4) * page['progress'] // 100
        for x in range(x0 + 2, done, 11):
            draw.rectangle((x, y0 + 2, min(x + 8, done), y1 - 3), fill=(6, 176, 37))
    if 'launch' in page:
        top = LAUNCH_AT[1] + 2
        window.paste(art['box_checked'], (LAUNCH_AT[0], top))
        _text(draw, (LAUNCH_AT[0] + BOX_SIZE[0] + 4, top + 4), page['launch'], 12, CAPTION_COLOUR)
    return window


def _cut_corners(window, keys, ground):
    for pixel in keys:
        window.putpixel(pixel, ground)
    return window


def make_preview(art, keys):
    """The three pages side by side on a neutral desktop colour."""
    ground = (90, 110, 130)
    gap = 16
    names = list(PAGES)
    sheet = Image.new('RGB', (len(names) * (WIDTH + gap) + gap, HEIGHT + 2 * gap), ground)
    for i, name in enumerate(names):
        window = _cut_corners(_page(art, PAGES[name]), keys, ground)
        sheet.paste(window, (gap + i * (WIDTH + gap), gap))
    return sheet


def make_states(art, zoom=4):
    """Every button picture enlarged, in a row, for checking their pixels."""
    pictures = [art[name] for name in ('button_normal', 'button_pressed', 'button_hover', 'close_normal',
                                       'close_hover', 'close_disabled', 'box_unchecked', 'box_checked')]
    gap = 8
    width = sum(p.size[0] * zoom + gap for p in pictures) + gap
    height = max(p.size[1] for p in pictures) * zoom + 2 * gap
    sheet = Image.new('RGB', (width, height), (128, 128, 128))
    x = gap
    for picture in pictures:
        big = picture.convert('RGB').resize((picture.size[0] * zoom, picture.size[1] * zoom), Image.NEAREST)
        sheet.paste(big, (x, gap))
        x += big.size[0] + gap
    return sheet


def make_icon_sheet(icons, zoom=4):
    """The icon's images on a light and on a dark ground, actual size and enlarged."""
    gap = 8
    width = sum(i.size[0] * (zoom + 1) + 2 * gap for i in icons) + gap
    sheet = Image.new('RGBA', (width, 2 * (icons[0].size[1] * zoom + 2 * gap)), (0, 0, 0, 255))
    for row, ground in enumerate(((240, 240, 240, 255), (40, 60, 110, 255))):
        top = row * (icons[0].size[1] * zoom + 2 * gap)
        sheet.paste(ground, (0, top, width, top + icons[0].size[1] * zoom + 2 * gap))
        x = gap
        for icon in icons:
            sheet.alpha_composite(icon, (x, top + gap))
            x += icon.size[0] + gap
            big = icon.resize((icon.size[0] * zoom, icon.size[1] * zoom), Image.NEAREST)
            sheet.alpha_composite(big, (x, top + gap))
            x += big.size[0] + gap
    return sheet
