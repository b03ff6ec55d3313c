"""Fits the first page of a PDF into a picture of an exact size: the page, scaled with its
proportions kept, stands centred on a transparent ground with a thin frame and a soft shadow.
With SCALE 2 the picture, frame and shadow are twice the size, for high-density screens.

    python3 compose-preview.py FILE.pdf WIDTH HEIGHT OUT.png [SCALE]
"""
import re
import struct
import subprocess
import sys
import zlib

SHADOW = 2  # pixels the shadow falls to the right and below
FRAME = (120, 120, 120)


def page_size(pdf):
    info = subprocess.run(["pdfinfo", pdf], check=True, capture_output=True, text=True).stdout
    match = re.search(r"Page size:\s+([\d.]+) x ([\d.]+) pts", info)
    if not match:
        sys.exit(f"{pdf}: no page size in pdfinfo's answer")
    return float(match.group(1)), float(match.group(2))


# pdftoppm's binary PPM: "P6", width, height, maxval 255 as blank-separated decimal text, one
# blank, then width x height RGB byte triples.
def read_ppm(data):
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit("pdftoppm gave an unexpected picture format")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        sys.exit("pdftoppm gave a short picture")
    return width, height, pixels


def render(pdf, width, height):
    data = subprocess.run(
        ["pdftoppm", "-f", "1", "-l", "1", "-singlefile", "-aa", "yes", "-aaVector", "yes",
         "-scale-to-x", str(width), "-scale-to-y", str(height), pdf],
        check=True, capture_output=True).stdout
    return read_ppm(data)


def write_png(path, width, height, rgba):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    rows = b"".join(b"\0" + bytes(rgba[y * width * 4:(y + 1) * width * 4]) for y in range(height))
    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as out:
        out.write(png)


def main():
    pdf, out = sys.argv[1], sys.argv[4]
    factor = int(sys.argv[5]) if len(sys.argv) > 5 else 1
    if factor not in (1, 2):
        sys.exit("SCALE is 1 or 2")
    width, height = int(sys.argv[2]) * factor, int(sys.argv[3]) * factor
    shadow, frame = SHADOW * factor, factor
    page_w, page_h = page_size(pdf)
    scale = min((width - shadow - 2 * frame) / page_w, (height - shadow - 2 * frame) / page_h)
    inner_w, inner_h = round(page_w * scale), round(page_h * scale)
    got_w, got_h, pixels = render(pdf, inner_w, inner_h)
    canvas = bytearray(width * height * 4)
    left = (width - shadow - got_w - 2 * frame) // 2 + frame
    top = (height - shadow - got_h - 2 * frame) // 2 + frame

    def put(x, y, colour, alpha):
        if 0 <= x < width and 0 <= y < height:
            canvas[(y * width + x) * 4:(y * width + x) * 4 + 4] = bytes(colour) + bytes([alpha])

    for y in range(top - frame + shadow, top + got_h + frame + shadow):
        for x in range(left - frame + shadow, left + got_w + frame + shadow):
            put(x, y, (0, 0, 0), 70)
    for y in range(top - frame, top + got_h + frame):
        for x in range(left - frame, left + got_w + frame):
            put(x, y, FRAME, 255)
    for y in range(got_h):
        for x in range(got_w):
            at = (y * got_w + x) * 3
            put(left + x, top + y, pixels[at:at + 3], 255)
    write_png(out, width, height, canvas)


main()
