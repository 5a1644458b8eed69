#!/usr/bin/env python3
"""Draws the program's pictures (icons, toolbar strip, row-state strip) and
writes them as .ico and .bmp files, byte by byte, into res/images/.

Every picture is a stack of shapes in unit coordinates (0..1 across the
picture), rendered with 4x4 supersampling so edges are smooth at 16, 20 and
32 pixels alike. Run it again after changing a picture and commit the output:
  python3 scripts/make_images.py
"""
import math
import os
import struct
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "images")
SS = 4  # samples per pixel side

# ---- shapes: predicates over unit coordinates --------------------------------

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r

def ring(cx, cy, r, w):
    return lambda x, y: (r - w) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1

def poly(*pts):
    def inside(x, y):
        c = False
        n = len(pts)
        for i in range(n):
            (ax, ay), (bx, by) = pts[i], pts[(i + 1) % n]
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                c = not c
        return c
    return inside

def line(ax, ay, bx, by, w):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
    return inside

def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)

def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)

def shifted(shape, dx, dy, k=1.0):
    """The shape moved by (dx, dy) and scaled by k around the centre."""
    return lambda x, y: shape((x - 0.5 - dx) / k + 0.5, (y - 0.5 - dy) / k + 0.5)

# ---- glyphs --------------------------------------------------------------------

def arrow_down(x0=0.5, top=0.12, bottom=0.88, w=0.22, head=0.62):
    return union(rect(x0 - w / 2, top, x0 + w / 2, bottom - 0.3),
                 poly((x0 - head / 2, bottom - 0.34), (x0 + head / 2, bottom - 0.34), (x0, bottom)))

def arrow_up(**kw):
    d = arrow_down(**kw)
    return lambda x, y: d(x, 1 - y)

def pause_bars():
    return union(rect(0.24, 0.18, 0.42, 0.82), rect(0.58, 0.18, 0.76, 0.82))

def cross():
    return union(line(0.2, 0.2, 0.8, 0.8, 0.2), line(0.8, 0.2, 0.2, 0.8, 0.2))

def check():
    return union(line(0.16, 0.52, 0.42, 0.78, 0.2), line(0.42, 0.78, 0.86, 0.22, 0.2))

def magnifier():
    return union(ring(0.42, 0.42, 0.3, 0.1), line(0.62, 0.62, 0.88, 0.88, 0.16))

def sheet():
    return minus(poly((0.2, 0.08), (0.64, 0.08), (0.82, 0.26), (0.82, 0.92), (0.2, 0.92)),
                 union(rect(0.3, 0.38, 0.72, 0.44), rect(0.3, 0.54, 0.72, 0.6), rect(0.3, 0.7, 0.6, 0.76)))

def clock():
    return minus(circle(0.5, 0.5, 0.42),
                 union(line(0.5, 0.5, 0.5, 0.2, 0.09), line(0.5, 0.5, 0.72, 0.6, 0.09)))

def gear():
    teeth = []
    for i in range(8):
        a = i * math.pi / 4
        teeth.append(line(0.5, 0.5, 0.5 + 0.42 * math.cos(a), 0.5 + 0.42 * math.sin(a), 0.16))
    return minus(union(circle(0.5, 0.5, 0.3), *teeth), circle(0.5, 0.5, 0.12))

def plug(broken=False):
    body = union(rect(0.3, 0.36, 0.7, 0.62), rect(0.36, 0.2, 0.44, 0.36), rect(0.56, 0.2, 0.64, 0.36),
                 rect(0.46, 0.62, 0.54, 0.9 if not broken else 0.72))
    if broken:
        body = union(body, rect(0.46, 0.8, 0.54, 0.95))
    return body

def monitor():
    return union(minus(rect(0.1, 0.12, 0.9, 0.7), rect(0.18, 0.2, 0.82, 0.62)),
                 rect(0.42, 0.7, 0.58, 0.8), rect(0.26, 0.8, 0.74, 0.88))

# A 5x7 font for the few letters the pictures need.
FONT = {
    "?": ["01110", "10001", "00001", "00110", "00100", "00000", "00100"],
    "i": ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
}

def letter(ch, x0=0.26, y0=0.16, w=0.48, h=0.68):
    rows = FONT[ch]
    def inside(x, y):
        if not (x0 <= x < x0 + w and y0 <= y < y0 + h):
            return False
        c = int((x - x0) / w * 5)
        r = int((y - y0) / h * 7)
        return rows[r][c] == "1"
    return inside

# ---- pictures: lists of (shape, colour) layers ---------------------------------

BLUE, DBLUE, GREEN, DGREEN = (40, 100, 215), (20, 50, 140), (40, 170, 60), (20, 100, 30)
RED, DRED, GREY, DGREY = (210, 40, 40), (120, 20, 20), (150, 150, 150), (80, 80, 80)
YELLOW, ORANGE, WHITE, BLACK = (240, 200, 40), (230, 130, 30), (255, 255, 255), (0, 0, 0)

def disc(colour, edge):
    return [(circle(0.5, 0.5, 0.48), edge), (circle(0.5, 0.5, 0.42), colour)]

def on_disc(colour, edge, glyph, gcol=WHITE, k=0.62):
    return disc(colour, edge) + [(shifted(glyph, 0, 0, k), gcol)]

def frame(i, colour, edge):
    """Animation frame i of 4: the arrow walks down the disc."""
    return disc(colour, edge) + [(shifted(arrow_down(), 0, -0.18 + 0.12 * i, 0.5), WHITE)]

ICONS = {
    128: disc(BLUE, DBLUE) + [(shifted(letter("K"), -0.12, 0, 0.75), WHITE),
                              (shifted(arrow_down(), 0.2, 0.06, 0.45), YELLOW)],
    134: on_disc(GREY, DGREY, arrow_down()),
    151: on_disc(GREEN, DGREEN, arrow_down()),
    142: on_disc(GREY, DGREY, pause_bars(), k=0.5),
    183: on_disc(GREEN, DGREEN, arrow_down()),
    143: [(monitor(), DGREY), (rect(0.18, 0.2, 0.82, 0.62), (120, 180, 240))],
}
for i in range(4):
    ICONS[130 + i] = frame(i, BLUE, DBLUE)
    ICONS[146 + i] = frame(i, GREEN, DGREEN)

# Toolbar, in button order, and the hot icon id of each button.
TOOLBAR = [
    (155, [(sheet(), (235, 235, 245)), (shifted(arrow_down(), 0.12, 0.1, 0.55), BLUE)]),   # new project
    (157, [(sheet(), (235, 235, 245)), (shifted(arrow_up(), 0.12, 0.1, 0.55), GREEN)]),    # new FTP upload
    (174, [(magnifier(), DBLUE)]),                                                           # new search
    (158, [(sheet(), (250, 240, 200)), (shifted(check(), 0.14, 0.14, 0.45), DGREEN)]),     # properties
    (159, [(arrow_down(), BLUE)]),                                                           # download/upload
    (160, [(pause_bars(), ORANGE)]),                                                         # pause
    (161, [(shifted(arrow_down(), -0.16, 0, 0.8), BLUE), (shifted(arrow_down(), 0.16, 0, 0.8), DBLUE)]),
    (162, [(shifted(arrow_up(), -0.16, 0, 0.8), GREEN), (shifted(arrow_up(), 0.16, 0, 0.8), DGREEN)]),
    (163, [(shifted(pause_bars(), -0.12, 0, 0.8), ORANGE), (shifted(pause_bars(), 0.12, 0, 0.8), RED)]),
    (164, [(cross(), RED)]),                                                                 # delete
    (165, [(plug(), DGREEN)]),                                                               # dial up
    (166, [(plug(True), DRED)]),                                                             # hang up
    (167, [(gear(), DGREY)]),                                                                # options
    (168, on_disc(BLUE, DBLUE, letter("?"), k=0.8)),                                         # help
    (169, on_disc((60, 140, 220), DBLUE, letter("i"), k=0.8)),                              # about
]
for hot, layers in TOOLBAR:
    ICONS[hot] = layers

def state_layers(block, state):
    glyph = {0: arrow_down(), 1: arrow_up(), 2: magnifier()}[block]
    colour = {0: BLUE, 1: DGREEN, 2: DBLUE}[block]
    if state < 4:  # running: the glyph bobs
        return [(shifted(glyph, 0, -0.12 + 0.08 * state, 0.85), colour)]
    small = lambda g: shifted(g, 0.22, 0.22, 0.5)
    base = [(shifted(glyph, -0.1, -0.1, 0.75), GREY if state == 4 else colour)]
    badge = {4: [],
             5: [(small(circle(0.5, 0.5, 0.5)), WHITE), (small(check()), DGREEN)],
             6: [(small(circle(0.5, 0.5, 0.5)), WHITE), (small(cross()), RED)],
             7: [(small(circle(0.5, 0.5, 0.5)), DGREY), (small(clock()), YELLOW)]}[state]
    return base + badge

# ---- rendering -------------------------------------------------------------------

def render(layers, size, bg=None):
    """Returns rows (top first) of (r, g, b, a) pixels."""
    out = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    x = (px + (sx + 0.5) / SS) / size
                    y = (py + (sy + 0.5) / SS) / size
                    col = None
                    for shape, c in layers:
                        if shape(x, y):
                            col = c
                    if col is not None:
                        acc[0] += col[0]; acc[1] += col[1]; acc[2] += col[2]; acc[3] += 1
            n = SS * SS
            a = acc[3] / n
            if acc[3]:
                rgb = [acc[i] / acc[3] for i in range(3)]
            else:
                rgb = [0, 0, 0]
            if bg is not None:  # flatten onto an opaque background
                rgb = [rgb[i] * a + bg[i] * (1 - a) for i in range(3)]
                a = 1.0
            row.append((int(round(rgb[0])), int(round(rgb[1])), int(round(rgb[2])), int(round(a * 255))))
        out.append(row)
    return out

def hard_edges(pixels, key):
    """Opaque where coverage is at least half, key colour elsewhere (for
    colour-keyed bitmaps, which have no partial transparency)."""
    return [[(r, g, b) if a >= 128 else key for (r, g, b, a) in row] for row in pixels]

def dim(layers):
    """The same picture in quieter colours: the toolbar's resting look."""
    return [(s, tuple(int(v * 0.7 + 128 * 0.3) for v in c)) for s, c in layers]

# ---- file formats ----------------------------------------------------------------

def ico_image(pixels):
    size = len(pixels)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)

def write_ico(path, layers, sizes=(16, 32)):
    images = [ico_image(render(layers, s)) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(data + b"".join(images))

def write_bmp(path, rows):
    """rows: top first, each a list of (r, g, b)."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        body += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + bytes(body))

def strip(pictures, size, key):
    """Pictures side by side in one row of pixels."""
    rendered = [hard_edges(render(p, size), key) for p in pictures]
    return [sum((img[y] for img in rendered), []) for y in range(size)]

def main():
    os.makedirs(OUT, exist_ok=True)
    for ident, layers in sorted(ICONS.items()):
        write_ico(os.path.join(OUT, "icon%d.ico" % ident), layers)
    # Toolbar strip: magenta is the mask colour the program loads it with.
    write_bmp(os.path.join(OUT, "toolbar.bmp"), strip([dim(l) for _, l in TOOLBAR], 32, (255, 0, 255)))
    # Row states: 3 blocks of 8, pure green is transparent.
    states = [state_layers(b, s) for b in range(3) for s in range(8)]
    write_bmp(os.path.join(OUT, "states.bmp"), strip(states, 20, (0, 255, 0)))
    print("wrote %d icons and 2 bitmaps to %s" % (len(ICONS), os.path.normpath(OUT)))

if __name__ == "__main__":
    sys.exit(main())
