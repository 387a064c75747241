#!/usr/bin/env python3
"""Draws the nine face pictures of 数ちゃん as SVG and converts them to PNG.

Usage: tools/draw_face.py [OUTPUT_FOLDER]   (needs rsvg-convert, Debian package librsvg2-bin)

Sizes and places are fixed by the face window: the whole face is 128 x 128, each mouth is
drawn over it at its own place, the eyes at (35, 56). Each overlay carries the skin that
hides the neutral mouth or the open eyes beneath it.
"""
import os
import subprocess
import sys

SKIN = "#ffe2c6"
SKIN_SHADE = "#f5c9a8"
HAIR = "#4a2a17"
HAIR_LIGHT = "#6b3e22"
CHEEK = "#ff9fb0"
LINE = "#3b2214"
MOUTH_IN = "#c2304a"
TONGUE = "#ff7f8f"
BACKGROUND = "#00ff00"  # the face window is lime

# Neutral mouth and open eyes, in face coordinates, shared by the face and the overlays.
EYES = (35, 56, 54, 15)


def svg(width, height, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">{body}</svg>')


def open_eyes(dx=0, dy=0):
    parts = []
    for cx in (49, 75):
        x, y = cx - dx, 63 - dy
        parts.append(f'<ellipse cx="{x}" cy="{y}" rx="5.5" ry="7" fill="{LINE}"/>')
        parts.append(f'<ellipse cx="{x + 1.8}" cy="{y - 2.6}" rx="2" ry="2.3" fill="#ffffff"/>')
        parts.append(f'<circle cx="{x - 2}" cy="{y + 2.8}" r="0.9" fill="#ffffff"/>')
    return "".join(parts)


def closed_eyes(dx=0, dy=0):
    parts = []
    for cx in (49, 75):
        x, y = cx - dx, 63 - dy
        parts.append(f'<path d="M {x - 6} {y - 1} Q {x} {y + 5} {x + 6} {y - 1}" fill="none" '
                     f'stroke="{LINE}" stroke-width="2.2" stroke-linecap="round"/>')
    return "".join(parts)


def neutral_mouth(dx=0, dy=0):
    x, y = 63 - dx, 100 - dy
    return (f'<path d="M {x - 6} {y - 1} Q {x} {y + 5} {x + 6} {y - 1}" fill="none" '
            f'stroke="{LINE}" stroke-width="2" stroke-linecap="round"/>')


def face():
    body = [f'<rect width="128" height="128" fill="{BACKGROUND}"/>']
    # Hair behind the head, with two little bunches.
    body.append(f'<circle cx="20" cy="58" r="13" fill="{HAIR}"/>')
    body.append(f'<circle cx="108" cy="58" r="13" fill="{HAIR}"/>')
    body.append(f'<circle cx="20" cy="46" r="5" fill="#ff5d8f"/>')
    body.append(f'<circle cx="108" cy="46" r="5" fill="#ff5d8f"/>')
    body.append(f'<ellipse cx="64" cy="62" rx="50" ry="50" fill="{HAIR}"/>')
    # Face and ears.
    body.append(f'<ellipse cx="19" cy="76" rx="7" ry="9" fill="{SKIN_SHADE}"/>')
    body.append(f'<ellipse cx="109" cy="76" rx="7" ry="9" fill="{SKIN_SHADE}"/>')
    body.append(f'<ellipse cx="64" cy="74" rx="44" ry="46" fill="{SKIN}"/>')
    # Fringe.
    body.append(f'<path d="M 18 62 Q 22 22 64 20 Q 106 22 110 62 Q 96 40 80 44 Q 70 30 58 42 '
                f'Q 40 34 18 62 Z" fill="{HAIR}"/>')
    body.append(f'<path d="M 40 30 Q 52 24 64 25" fill="none" stroke="{HAIR_LIGHT}" '
                f'stroke-width="3" stroke-linecap="round"/>')
    # Eyebrows, cheeks, nose.
    body.append(f'<path d="M 42 50 Q 49 46 56 50" fill="none" stroke="{LINE}" stroke-width="1.6" '
                f'stroke-linecap="round"/>')
    body.append(f'<path d="M 68 50 Q 75 46 82 50" fill="none" stroke="{LINE}" stroke-width="1.6" '
                f'stroke-linecap="round"/>')
    body.append(f'<ellipse cx="36" cy="84" rx="8" ry="5" fill="{CHEEK}" opacity="0.8"/>')
    body.append(f'<ellipse cx="92" cy="84" rx="8" ry="5" fill="{CHEEK}" opacity="0.8"/>')
    body.append(f'<path d="M 63 78 Q 65 81 62 83" fill="none" stroke="{SKIN_SHADE}" '
                f'stroke-width="2" stroke-linecap="round"/>')
    body.append(open_eyes())
    body.append(neutral_mouth())
    return svg(128, 128, "".join(body))


def eyes(is_open):
    x, y, w, h = EYES
    drawing = open_eyes(x, y) if is_open else closed_eyes(x, y)
    return svg(w, h, f'<rect width="{w}" height="{h}" fill="{SKIN}"/>{drawing}')


def mouth(width, height, left, top, shape):
    """A mouth centred near x 63 of the face, drawn in the overlay's own coordinates."""
    cx, cy = 63 - left, 101 - top
    # Transparent but for a patch of skin over the neutral mouth, so no corner of the
    # picture shows past the chin.
    patch = f'<ellipse cx="{cx}" cy="{cy}" rx="11" ry="7" fill="{SKIN}"/>'
    return svg(width, height, patch + shape(cx, cy))


def shape_a(cx, cy):  # あ: wide open
    return (f'<path d="M {cx - 9} {cy - 5} Q {cx} {cy - 8} {cx + 9} {cy - 5} Q {cx + 8} {cy + 11} '
            f'{cx} {cy + 11} Q {cx - 8} {cy + 11} {cx - 9} {cy - 5} Z" fill="{MOUTH_IN}" '
            f'stroke="{LINE}" stroke-width="1.6"/>'
            f'<ellipse cx="{cx}" cy="{cy + 7}" rx="5" ry="3" fill="{TONGUE}"/>')


def shape_i(cx, cy):  # い: wide, teeth showing
    return (f'<rect x="{cx - 12}" y="{cy - 5}" width="24" height="9" rx="4.5" fill="#ffffff" '
            f'stroke="{LINE}" stroke-width="1.6"/>'
            f'<line x1="{cx - 11}" y1="{cy - 0.5}" x2="{cx + 11}" y2="{cy - 0.5}" stroke="#d9c9c0" '
            f'stroke-width="1"/>')


def shape_u(cx, cy):  # う: small round pout
    return (f'<ellipse cx="{cx}" cy="{cy}" rx="4.5" ry="4" fill="{MOUTH_IN}" stroke="{LINE}" '
            f'stroke-width="1.8"/>')


def shape_e(cx, cy):  # え: half open, wide
    return (f'<path d="M {cx - 10} {cy - 3} Q {cx} {cy - 5} {cx + 10} {cy - 3} Q {cx + 7} {cy + 7} '
            f'{cx} {cy + 7} Q {cx - 7} {cy + 7} {cx - 10} {cy - 3} Z" fill="{MOUTH_IN}" '
            f'stroke="{LINE}" stroke-width="1.6"/>')


def shape_o(cx, cy):  # お: round open
    return (f'<ellipse cx="{cx}" cy="{cy + 1}" rx="6.5" ry="8" fill="{MOUTH_IN}" stroke="{LINE}" '
            f'stroke-width="1.6"/>'
            f'<ellipse cx="{cx}" cy="{cy + 5}" rx="3.5" ry="2.5" fill="{TONGUE}"/>')


def shape_n(cx, cy):  # ん and silence: closed smile
    return (f'<path d="M {cx - 7} {cy - 2} Q {cx} {cy + 5} {cx + 7} {cy - 2}" fill="none" '
            f'stroke="{LINE}" stroke-width="2" stroke-linecap="round"/>')


PICTURES = {
    "FACE00": face(),
    "MOUTH_A": mouth(30, 30, 45, 90, shape_a),
    "MOUTH_I": mouth(40, 25, 45, 90, shape_i),
    "MOUTH_U": mouth(25, 25, 50, 88, shape_u),
    "MOUTH_E": mouth(32, 25, 46, 87, shape_e),
    "MOUTH_O": mouth(25, 25, 50, 90, shape_o),
    "MOUTH_N": mouth(25, 25, 52, 90, shape_n),
    "EYE_OPEN": eyes(True),
    "EYE_CLOSE": eyes(False),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "face")
    os.makedirs(folder, exist_ok=True)
    for name, text in PICTURES.items():
        svg_path = os.path.join(folder, name + ".svg")
        with open(svg_path, "w", encoding="utf-8") as out:
            out.write(text)
        subprocess.run(["rsvg-convert", "-o", os.path.join(folder, name + ".png"), svg_path],
                       check=True)
        os.remove(svg_path)


if __name__ == "__main__":
    main()
