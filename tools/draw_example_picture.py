#!/usr/bin/env python3
"""Draws the decorative picture of the word-problem example window: resources/bunex.jpg.

Usage: tools/draw_example_picture.py [OUTPUT.jpg]
Needs rsvg-convert (Debian librsvg2-bin) and cjpeg (libjpeg-turbo-progs). The window shows
the picture stretched to 140 x 100, so it is drawn at twice that size.
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

WIDTH, HEIGHT = 280, 200

SVG = f'''<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{HEIGHT}">
<rect width="{WIDTH}" height="{HEIGHT}" fill="#fff8e7"/>
<rect x="0" y="150" width="{WIDTH}" height="50" fill="#cdeccf"/>
<g transform="translate(28,36)">
  <rect x="0" y="0" width="120" height="100" rx="6" fill="#ffffff" stroke="#5b7fb5" stroke-width="3"/>
  <line x1="60" y1="0" x2="60" y2="100" stroke="#5b7fb5" stroke-width="2"/>
  <g stroke="#b9cbe6" stroke-width="1.5">
    <line x1="8" y1="25" x2="52" y2="25"/><line x1="8" y1="45" x2="52" y2="45"/>
    <line x1="8" y1="65" x2="52" y2="65"/><line x1="68" y1="25" x2="112" y2="25"/>
    <line x1="68" y1="45" x2="112" y2="45"/><line x1="68" y1="65" x2="112" y2="65"/>
  </g>
  <g font-family="IPAGothic, sans-serif" font-size="18" font-weight="bold" fill="#d0453a">
    <text x="14" y="40">12</text><text x="8" y="62">+</text><text x="24" y="62">5</text>
  </g>
  <line x1="8" y1="70" x2="52" y2="70" stroke="#d0453a" stroke-width="2"/>
  <text x="14" y="90" font-family="IPAGothic, sans-serif" font-size="18" font-weight="bold"
        fill="#d0453a">17</text>
</g>
<g transform="translate(190,70) rotate(20)">
  <rect x="0" y="0" width="18" height="90" fill="#ffcc33" stroke="#8a6a10" stroke-width="2"/>
  <polygon points="0,90 18,90 9,112" fill="#f3d9b1" stroke="#8a6a10" stroke-width="2"/>
  <polygon points="5,102 13,102 9,112" fill="#333333"/>
  <rect x="0" y="-10" width="18" height="10" fill="#f08ca0" stroke="#8a6a10" stroke-width="2"/>
</g>
<g transform="translate(222,150)">
  <circle cx="0" cy="0" r="20" fill="#e53935"/>
  <path d="M0,-20 q4,-12 12,-14" stroke="#6d4c41" stroke-width="3" fill="none"/>
  <ellipse cx="10" cy="-26" rx="8" ry="4" fill="#43a047"/>
  <ellipse cx="-7" cy="-6" rx="5" ry="3" fill="#ffffff" opacity="0.6"/>
</g>
<g fill="#ffb300">
  <polygon points="170,22 174,32 185,32 176,38 180,48 170,42 160,48 164,38 155,32 166,32"/>
  <polygon points="250,30 253,37 260,37 254,41 257,48 250,44 243,48 246,41 240,37 247,37"/>
</g>
</svg>'''


def png_to_ppm(png):
    """The pixels of an 8-bit RGB or RGBA PNG as a binary PPM, over white."""
    pos, chunks, header = 8, [], None
    while pos < len(png):
        length, kind = struct.unpack(">I4s", png[pos:pos + 8])
        data = png[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", data)
        elif kind == b"IDAT":
            chunks.append(data)
        pos += 12 + length
    width, height, depth, colour = header[0], header[1], header[2], header[3]
    assert depth == 8 and colour in (2, 6)
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(b"".join(chunks))
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        prev = line
    out = bytearray(f"P6 {width} {height} 255\n".encode())
    for line in rows:
        for x in range(width):
            px = line[x * channels:(x + 1) * channels]
            alpha = px[3] if channels == 4 else 255
            out += bytes((v * alpha + 255 * (255 - alpha)) // 255 for v in px[:3])
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "bunex.jpg")
    with tempfile.TemporaryDirectory() as folder:
        svg_path = os.path.join(folder, "bunex.svg")
        with open(svg_path, "w", encoding="utf-8") as f:
            f.write(SVG)
        png = subprocess.run(["rsvg-convert", svg_path], check=True, capture_output=True).stdout
        ppm_path = os.path.join(folder, "bunex.ppm")
        with open(ppm_path, "wb") as f:
            f.write(png_to_ppm(png))
        subprocess.run(["cjpeg", "-quality", "88", "-optimize", "-outfile", target, ppm_path],
                       check=True)


if __name__ == "__main__":
    main()
