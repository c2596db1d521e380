#!/usr/bin/env python3
"""Draws the busy box's spinner and writes it as an animated GIF (Qt reads GIFs but cannot
write them). Eight dots on a circle; in each of the eight frames the brightest, largest dot is
one step further clockwise, with the others fading behind it.
Edges are smoothed against the dark translucent ground of the busy box; pixels no dot touches
are transparent.

Usage: make-loading-gif.py OUTPUT.gif
"""
import math
import struct
import sys

SIZE = 36           # pixels square
FRAMES = 8
DELAY_CS = 10       # hundredths of a second per frame
DOTS = 8
RING = 12.0         # radius of the circle the dots sit on
GROUND = (128, 128, 128)    # the busy box's ground over a white page; edges blend into it
DOT = (255, 255, 255)
LEVELS = 255                # palette entries 1..255 are ground..white; 0 is transparent


def coverage(px, py, cx, cy, r):
    """Fraction of pixel (px, py) covered by a disc, by 4 x 4 supersampling."""
    n = 0
    for sy in range(4):
        for sx in range(4):
            x = px + (sx + 0.5) / 4.0
            y = py + (sy + 0.5) / 4.0
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                n += 1
    return n / 16.0


def frame(k):
    """Palette indices of frame k."""
    pix = [0] * (SIZE * SIZE)
    c = SIZE / 2.0
    for pos in range(DOTS):
        # The dot at position pos trails the lead dot (at position k) by d steps.
        d = (k - pos) % DOTS
        ang = 2 * math.pi * pos / DOTS - math.pi / 2
        cx = c + RING * math.cos(ang)
        cy = c + RING * math.sin(ang)
        r = 3.4 - d * 0.2
        bright = 1.0 - d * 0.1
        for py in range(int(cy - r - 1), int(cy + r + 2)):
            for px in range(int(cx - r - 1), int(cx + r + 2)):
                if not (0 <= px < SIZE and 0 <= py < SIZE):
                    continue
                a = coverage(px, py, cx, cy, r) * bright
                if a <= 0:
                    continue
                idx = 1 + int(round(a * (LEVELS - 1)))
                pix[py * SIZE + px] = max(pix[py * SIZE + px], idx)
    return pix


def palette():
    out = bytearray(GROUND)  # entry 0: transparent (its colour is the ground)
    for i in range(1, 256):
        t = (i - 1) / (LEVELS - 1)
        out += bytes(int(round(g + (w - g) * t)) for g, w in zip(GROUND, DOT))
    return bytes(out)


def lzw(indices, min_code_size=8):
    """LZW data for 8-bit indices. A clear code before every 254 literals keeps every code
    9 bits wide, which any decoder accepts (the table never grows past 511 entries)."""
    clear = 1 << min_code_size
    end = clear + 1
    codes = []
    for i, v in enumerate(indices):
        if i % 254 == 0:
            codes.append(clear)
        codes.append(v)
    codes.append(end)
    out = bytearray()
    acc = 0
    bits = 0
    for code in codes:
        acc |= code << bits
        bits += 9
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    gif = bytearray(b"GIF89a")
    # Logical screen, global colour table of 256 entries, background index 0.
    gif += struct.pack("<HHBBB", SIZE, SIZE, 0xF7, 0, 0)
    gif += palette()
    # Loop forever.
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for k in range(FRAMES):
        # Graphic control: dispose to background, transparent index 0.
        gif += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, (2 << 2) | 1, DELAY_CS, 0, 0)
        gif += struct.pack("<BHHHHB", 0x2C, 0, 0, SIZE, SIZE, 0)
        gif += bytes([8]) + blocks(lzw(frame(k)))
    gif += b"\x3B"
    with open(sys.argv[1], "wb") as f:
        f.write(gif)


if __name__ == "__main__":
    main()
