#!/usr/bin/env python3
"""Draws the two report images (resources/toplogo.gif, resources/clear.gif).

Run once by hand when the artwork changes; the build embeds the committed files.
"""
import math
import struct
import sys

PALETTE = [
    (255, 255, 255),  # 0 background
    (20, 40, 90),     # 1 navy: lettering, gauge rim
    (46, 160, 67),    # 2 green zone
    (240, 190, 40),   # 3 amber zone
    (210, 50, 40),    # 4 red zone
    (120, 130, 150),  # 5 grey: tagline
    (230, 236, 245),  # 6 pale band
    (0, 0, 0),        # 7 unused
]

FONT = {  # 5x7 capitals and lower case used by the logo
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'i': ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    't': ["01000", "01000", "11110", "01000", "01000", "01001", "00110"],
    'e': ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
    'g': ["00000", "01111", "10001", "10001", "01111", "00001", "01110"],
    'a': ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    'u': ["00000", "00000", "10001", "10001", "10001", "10011", "01101"],
    'W': ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    ' ': ["00000"] * 7,
}


def lzw(pixels, min_code_size):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, bits, nbits = bytearray(), 0, 0

    def emit(code, size):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    table = {(i,): i for i in range(clear)}
    next_code, size = end + 1, min_code_size + 1
    emit(clear, size)
    prefix = ()
    for p in pixels:
        candidate = prefix + (p,)
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix], size)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            table = {(i,): i for i in range(clear)}
            next_code, size = end + 1, min_code_size + 1
        prefix = (p,)
    if prefix:
        emit(table[prefix], size)
    emit(end, size)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def gif(width, height, pixels, palette, transparent=None):
    data = bytearray(b"GIF89a")
    depth = max(1, (len(palette) - 1).bit_length())
    data += struct.pack("<HHBBB", width, height, 0x80 | (depth - 1), 0, 0)
    for i in range(1 << depth):
        data += bytes(palette[i] if i < len(palette) else (0, 0, 0))
    if transparent is not None:
        data += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 1, 0, transparent, 0)
    data += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    min_code = max(2, depth)
    data.append(min_code)
    stream = lzw(pixels, min_code)
    for i in range(0, len(stream), 255):
        chunk = stream[i:i + 255]
        data.append(len(chunk))
        data += chunk
    data += b"\x00\x3B"
    return bytes(data)


def draw_logo():
    w, h = 320, 64
    img = [[0] * w for _ in range(h)]
    for y in range(h - 6, h - 2):  # pale band along the bottom
        for x in range(w):
            img[y][x] = 6
    cx, cy, r_out, r_in = 34, 48, 28, 18  # the gauge: three zones on a half ring
    for y in range(h):
        for x in range(w):
            d = math.hypot(x - cx, y - cy)
            if y <= cy and r_in <= d <= r_out:
                ang = math.degrees(math.atan2(cy - y, x - cx))  # 180 (left) .. 0 (right)
                img[y][x] = 4 if ang < 60 else 3 if ang < 120 else 2
                if d > r_out - 2:
                    img[y][x] = 1
    ang = math.radians(35)  # the needle, pointing into the good end
    for t in range(0, 260):
        s = t / 10.0
        x, y = cx - s * math.cos(ang), cy - s * math.sin(ang)
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if 0 <= int(y) + dy < h and 0 <= int(x) + dx < w:
                    img[int(y) + dy][int(x) + dx] = 1
    for y in range(cy - 3, cy + 4):
        for x in range(cx - 3, cx + 4):
            if math.hypot(x - cx, y - cy) <= 3.5:
                img[y][x] = 1

    def text(s, x0, y0, scale, colour):
        for ch in s:
            rows = FONT[ch]
            for ry, row in enumerate(rows):
                for rx, bit in enumerate(row):
                    if bit == "1":
                        for yy in range(scale):
                            for xx in range(scale):
                                img[y0 + ry * scale + yy][x0 + rx * scale + xx] = colour
            x0 += 6 * scale

    text("Sitegauge", 76, 8, 4, 1)
    text("WEB REPORT", 78, 42, 1, 5)
    return w, h, [p for row in img for p in row]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "resources"
    w, h, px = draw_logo()
    with open(f"{out}/toplogo.gif", "wb") as f:
        f.write(gif(w, h, px, PALETTE))
    spacer = gif(1, 1, [0], [(0, 0, 0), (255, 255, 255)], transparent=0)
    assert len(spacer) == 43, len(spacer)
    with open(f"{out}/clear.gif", "wb") as f:
        f.write(spacer)


if __name__ == "__main__":
    main()
