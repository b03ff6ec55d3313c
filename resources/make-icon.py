"""Draws the program icon, a calendar sheet, into merivane.png (128 x 128, RGBA), at another
size for the desktop's icon theme, or as SVG.

    python3 make-icon.py [OUT.png [SIZE]]
    python3 make-icon.py OUT.svg
"""
import struct
import sys
import zlib

SIZE = 128
SAMPLES = 4  # per axis, for smooth edges
RED = (196, 32, 40)
INK = (52, 60, 72)
PAPER = (250, 250, 247)
RING = (90, 90, 96)


def rounded_box(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def colour_at(x, y):
    """The colour at a point of the 128 x 128 square, or None where the icon is clear."""
    if rounded_box(x, y, 38, 6, 46, 30, 4) or rounded_box(x, y, 82, 6, 90, 30, 4):
        return RING
    if not rounded_box(x, y, 10, 16, 118, 120, 12):
        shadow = rounded_box(x - 3, y - 4, 10, 16, 118, 120, 12)
        return (0, 0, 0, 60) if shadow else None
    if y < 44:
        return RED
    col, row = (x - 20) / 18.0, (y - 52) / 16.0
    if 0 <= col < 5 and 0 <= row < 4 and (x - 20) % 18 < 13 and (y - 52) % 16 < 11:
        return RED if (int(col), int(row)) == (3, 2) else INK
    return PAPER


def svg_box(left, top, right, bottom, radius, fill, opacity=None):
    extra = f' fill-opacity="{opacity}"' if opacity is not None else ""
    return (f'<rect x="{left}" y="{top}" width="{right - left}" height="{bottom - top}" '
            f'rx="{radius}" fill="rgb{fill}"{extra}/>')


def write_svg(out):
    """The same drawing as colour_at, shape by shape."""
    shapes = [svg_box(13, 20, 121, 124, 12, (0, 0, 0), round(60 / 255, 3)),
              svg_box(10, 16, 118, 120, 12, PAPER)]
    shapes.append('<clipPath id="sheet">' + svg_box(10, 16, 118, 120, 12, PAPER) + '</clipPath>')
    shapes.append('<rect x="10" y="16" width="108" height="28" fill="rgb%s" '
                  'clip-path="url(#sheet)"/>' % (RED,))
    for row in range(4):
        for col in range(5):
            colour = RED if (col, row) == (3, 2) else INK
            shapes.append(f'<rect x="{20 + 18 * col}" y="{52 + 16 * row}" width="13" '
                          f'height="11" fill="rgb{colour}"/>')
    shapes += [svg_box(38, 6, 46, 30, 4, RING), svg_box(82, 6, 90, 30, 4, RING)]
    text = ('<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" '
            'viewBox="0 0 128 128">\n' + "\n".join(shapes) + "\n</svg>\n")
    with open(out, "w") as f:
        f.write(text.replace(", ", ","))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "merivane.png"
    if out.endswith(".svg"):
        write_svg(out)
        return
    size = int(sys.argv[2]) if len(sys.argv) > 2 else SIZE
    scale = SIZE / size
    rows = bytearray()
    for py in range(size):
        rows.append(0)
        for px in range(size):
            total = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px + (sx + 0.5) / SAMPLES) * scale,
                                  (py + (sy + 0.5) / SAMPLES) * scale)
                    if c is None:
                        continue
                    alpha = c[3] if len(c) == 4 else 255
                    for i in range(3):
                        total[i] += c[i] * alpha
                    total[3] += alpha
            n = SAMPLES * SAMPLES
            if total[3] == 0:
                rows += bytes(4)
                continue
            rows += bytes([round(total[i] / total[3]) for i in range(3)] + [round(total[3] / n)])

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))
    with open(out, "wb") as f:
        f.write(png)


main()
