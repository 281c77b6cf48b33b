#!/usr/bin/env python3
"""Draws the program's pictures as SVG and renders them to PNG (rsvg-convert):

  148.svg/.png  the background of the main window, 496 x 397: an absolute rotary encoder with
                its shaft, clamping flange and radial connector, and its code disc beside it
  128.svg/.png  the program icon: the encoder's Gray-code disc on its shaft
  128-N.png     the icon at the sizes of the desktop's icon theme (N = 16 to 256), installed as
                hicolor icons beside the scalable 128.svg; 16 and 32 are drawn for their size,
                pixel by pixel (fewer tracks, every edge of a track on the pixel grid), since the
                scaled-down disc blurs into grey there
  128.ico       the Windows program icon: 16, 24, 32, 48, 64 and 256 pixels, each a PNG inside

Run from anywhere: python3 res/pictures/make_pictures.py. The PNG files are committed, so a
build needs neither Python nor librsvg.
"""
import math
import os
import shutil
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def gray_disc(cx, cy, r_out, r_in, tracks, bits_per_track_base=1, dark="#1d2733", light="#e9eef3"):
    """A Gray-code disc: track t (outermost = lowest bit) has 2^(t+1) sectors."""
    parts = []
    ring = (r_out - r_in) / tracks
    parts.append(f'<circle cx="{cx}" cy="{cy}" r="{r_out}" fill="{light}"/>')
    for t in range(tracks):
        # innermost track is the most significant bit
        bit = tracks - 1 - t
        r1 = r_in + t * ring
        r2 = r1 + ring
        n = 1 << (tracks - bit)   # number of code positions resolved by this track
        steps = 1 << tracks
        for k in range(steps):
            g = k ^ (k >> 1)
            if (g >> bit) & 1:
                a1 = 2 * math.pi * k / steps - math.pi / 2
                a2 = 2 * math.pi * (k + 1) / steps - math.pi / 2
                parts.append(annulus_sector(cx, cy, r1, r2, a1, a2, dark))
        del n
    parts.append(f'<circle cx="{cx}" cy="{cy}" r="{r_out}" fill="none" stroke="#39434f" stroke-width="1.2"/>')
    return "\n".join(parts)


def annulus_sector(cx, cy, r1, r2, a1, a2, fill):
    def pt(r, a):
        return f"{cx + r * math.cos(a):.2f},{cy + r * math.sin(a):.2f}"
    large = 1 if a2 - a1 > math.pi else 0
    return (f'<path d="M{pt(r2, a1)} A{r2},{r2} 0 {large} 1 {pt(r2, a2)} L{pt(r1, a2)} '
            f'A{r1},{r1} 0 {large} 0 {pt(r1, a1)} Z" fill="{fill}"/>')


METAL = """
  <linearGradient id="metal" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#4a535e"/><stop offset="0.18" stop-color="#aeb8c3"/>
    <stop offset="0.35" stop-color="#e4e9ee"/><stop offset="0.62" stop-color="#8d97a3"/>
    <stop offset="1" stop-color="#3a424c"/>
  </linearGradient>
  <linearGradient id="housing" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#2d4f73"/><stop offset="0.25" stop-color="#5f8bb8"/>
    <stop offset="0.45" stop-color="#8fb3d6"/><stop offset="0.75" stop-color="#3d6690"/>
    <stop offset="1" stop-color="#1e3651"/>
  </linearGradient>
  <linearGradient id="face" x1="0" y1="0" x2="1" y2="1">
    <stop offset="0" stop-color="#d7dde3"/><stop offset="1" stop-color="#7f8994"/>
  </linearGradient>
  <linearGradient id="shaft" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#6b737c"/><stop offset="0.3" stop-color="#f3f5f7"/>
    <stop offset="0.7" stop-color="#9aa3ad"/><stop offset="1" stop-color="#4b525a"/>
  </linearGradient>
  <linearGradient id="conn" x1="0" y1="0" x2="1" y2="0">
    <stop offset="0" stop-color="#50585f"/><stop offset="0.35" stop-color="#e8ecef"/>
    <stop offset="0.7" stop-color="#99a2ab"/><stop offset="1" stop-color="#454c53"/>
  </linearGradient>
  <linearGradient id="bg" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#f4f7fa"/><stop offset="1" stop-color="#d6dee7"/>
  </linearGradient>
  <radialGradient id="shadow" cx="0.5" cy="0.5" r="0.5">
    <stop offset="0" stop-color="#000" stop-opacity="0.28"/><stop offset="1" stop-color="#000" stop-opacity="0"/>
  </radialGradient>
"""


def background():
    w, h = 496, 397
    # Body axis horizontal; the circular faces are seen at an angle (ellipses).
    fx, cy = 190, 210            # centre of the front face
    bx = 360                     # centre of the back face
    rx, ry = 42, 118             # face ellipse
    s = []
    s.append(f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="0 0 {w} {h}">')
    s.append(f"<defs>{METAL}</defs>")
    s.append(f'<rect x="0" y="0" width="{w}" height="{h}" rx="10" fill="url(#bg)"/>')
    s.append(f'<rect x="0.5" y="0.5" width="{w-1}" height="{h-1}" rx="10" fill="none" stroke="#b4bfcb"/>')
    # floor shadow
    s.append(f'<ellipse cx="{(fx+bx)//2 - 10}" cy="{cy+ry+22}" rx="190" ry="18" fill="url(#shadow)"/>')

    # back face (only its right half shows behind the body)
    s.append(f'<ellipse cx="{bx}" cy="{cy}" rx="{rx}" ry="{ry}" fill="#1f3854"/>')
    # cylindrical housing
    s.append(f'<rect x="{fx}" y="{cy-ry}" width="{bx-fx}" height="{2*ry}" fill="url(#housing)"/>')
    # grooves around the housing
    for gx in (222, 232):
        s.append(f'<path d="M{gx},{cy-ry} A{rx},{ry} 0 0 1 {gx},{cy+ry}" fill="none" stroke="#1c3148" stroke-width="2" opacity="0.6"/>')
    # type plate
    s.append(f'<rect x="262" y="{cy-40}" width="78" height="62" rx="3" fill="#eef2f5" stroke="#8a96a3"/>')
    s.append(f'<text x="301" y="{cy-14}" font-family="DejaVu Sans, sans-serif" font-size="17" font-weight="bold" '
             f'text-anchor="middle" fill="#1d3a5a">SSI</text>')
    for i, wdt in enumerate((58, 46, 52)):
        s.append(f'<rect x="272" y="{cy-2+i*7}" width="{wdt}" height="3" fill="#9aa6b2"/>')
    # radial connector (M23) on the housing, pointing up
    ccx, top = 322, 42
    s.append(f'<rect x="{ccx-26}" y="{cy-ry-12}" width="52" height="16" fill="#2a2f35"/>')   # base nut
    s.append(f'<ellipse cx="{ccx}" cy="{cy-ry-12}" rx="26" ry="7" fill="#4b535c"/>')
    s.append(f'<rect x="{ccx-20}" y="{top}" width="40" height="{cy-ry-12-top}" fill="url(#conn)"/>')
    for gy in range(top + 8, cy - ry - 14, 6):   # knurled coupling ring
        s.append(f'<line x1="{ccx-20}" y1="{gy}" x2="{ccx+20}" y2="{gy}" stroke="#5d666f" stroke-width="1" opacity="0.6"/>')
    s.append(f'<ellipse cx="{ccx}" cy="{top}" rx="20" ry="6" fill="#c9d0d6" stroke="#555d65"/>')
    s.append(f'<ellipse cx="{ccx}" cy="{top}" rx="14" ry="4" fill="#1c2126"/>')
    for i in range(8):
        a = 2 * math.pi * i / 8
        s.append(f'<circle cx="{ccx + 9*math.cos(a):.1f}" cy="{top + 2.6*math.sin(a):.1f}" r="1.3" fill="#d9b44a"/>')
    # clamping flange: a thin disc in front of the housing
    s.append(f'<rect x="{fx-12}" y="{cy-ry-10}" width="12" height="{2*ry+20}" fill="url(#metal)"/>')
    s.append(f'<ellipse cx="{fx}" cy="{cy}" rx="{rx+4}" ry="{ry+10}" fill="#59636e"/>')
    s.append(f'<ellipse cx="{fx-12}" cy="{cy}" rx="{rx+4}" ry="{ry+10}" fill="url(#face)" stroke="#4c555f"/>')
    # mounting holes on the flange
    for ang in (-60, 60, 180 - 60, 180 + 60):
        a = math.radians(ang)
        hx = fx - 12 + (rx - 6) * math.cos(a)
        hy = cy + (ry - 6) * math.sin(a)
        s.append(f'<ellipse cx="{hx:.1f}" cy="{hy:.1f}" rx="3" ry="7" fill="#2d333a"/>')
    # centring collar and bearing
    s.append(f'<ellipse cx="{fx-14}" cy="{cy}" rx="16" ry="44" fill="#9aa4ae" stroke="#59626c"/>')
    s.append(f'<ellipse cx="{fx-16}" cy="{cy}" rx="9" ry="24" fill="#6b747e"/>')
    # solid shaft with a flat
    sx0, sx1, sr = 58, fx - 18, 15
    s.append(f'<rect x="{sx0}" y="{cy-sr}" width="{sx1-sx0}" height="{2*sr}" fill="url(#shaft)"/>')
    s.append(f'<rect x="{sx0}" y="{cy-sr}" width="52" height="6" fill="#c3cad1" opacity="0.9"/>')   # flat
    s.append(f'<ellipse cx="{sx0}" cy="{cy}" rx="5" ry="{sr}" fill="#b9c1c9" stroke="#5b636b"/>')
    s.append(f'<line x1="{sx0+52}" y1="{cy-sr}" x2="{sx0+52}" y2="{cy-sr+6}" stroke="#7d8690"/>')
    # rotation arrow around the shaft
    s.append(f'<path d="M{sx0+30},{cy-sr-18} A22,30 0 1 0 {sx0+48},{cy+sr+14}" fill="none" stroke="#c0392b" stroke-width="3"/>')
    s.append(f'<path d="M{sx0+48},{cy+sr+14} l-12,1 l8,-10 z" fill="#c0392b"/>')

    # the code disc beside it: why the encoder knows its position at once
    s.append(gray_disc(438, 84, 48, 13, 5))
    s.append('<circle cx="438" cy="84" r="8" fill="url(#shaft)" stroke="#4b525a"/>')
    s.append('<line x1="438" y1="36" x2="438" y2="71" stroke="#e67e22" stroke-width="2" stroke-dasharray="3,2"/>')
    s.append("</svg>")
    return "\n".join(s)


def icon():
    s = ['<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">',
         f"<defs>{METAL}</defs>",
         '<rect x="1" y="1" width="62" height="62" rx="12" fill="#1e3651"/>',
         gray_disc(32, 32, 27, 8, 4, light="#eef2f6", dark="#1d2733"),
         '<circle cx="32" cy="32" r="6" fill="url(#shaft)" stroke="#3a424c"/>',
         '<line x1="32" y1="3" x2="32" y2="20" stroke="#e67e22" stroke-width="2.5"/>',
         "</svg>"]
    return "\n".join(s)


ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICO_SIZES = (16, 24, 32, 48, 64, 256)


def write_ico(path, sizes):
    """An .ico file of PNG images (Windows Vista and later, Wine), from the 128-N.png files."""
    import struct
    images = []
    for n in sizes:
        with open(os.path.join(HERE, f"128-{n}.png"), "rb") as f:
            images.append((n, f.read()))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, data = b"", b""
    for n, png in images:
        side = 0 if n >= 256 else n  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(png), offset + len(data))
        data += png
    with open(path, "wb") as f:
        f.write(header + entries + data)

# The small icons drawn for their size: the same picture as 128.svg (dark square, Gray-code disc,
# shaft, orange index mark), with the disc's tracks a whole number of pixels wide around a centre
# on a pixel corner, so that the quarter lines lie on the grid, and each pixel inside the disc of
# one colour (the one at its centre); at 32 pixels a light pixel between the tracks keeps the
# rings apart; a light rim keeps the disc apart from the dark square where its outer track is dark.
#   size: (corner radius, disc radius, track radii from the shaft outwards, shaft radius,
#          index mark rows, light pixel between the tracks)
SMALL_ICONS = {
    16: (3, 7.0, (2.0, 4.0, 6.0), 2.0, (0, 4), False),
    32: (6, 14.0, (4.0, 7.0, 10.0, 13.0), 3.0, (1, 8), True),
}

BACK = (0x1E, 0x36, 0x51)
LIGHT = (0xEE, 0xF2, 0xF6)
DARK = (0x1D, 0x27, 0x33)
SHAFT = (0xAE, 0xB8, 0xC3)
SHAFT_EDGE = (0x3A, 0x42, 0x4C)
MARK = (0xE6, 0x7E, 0x22)


def small_icon(size):
    """RGBA rows of the icon at size pixels, drawn on the pixel grid."""
    corner, disc, radii, shaft, (mark_top, mark_bottom), gaps = SMALL_ICONS[size]
    tracks = len(radii) - 1
    steps = 1 << tracks
    c = size / 2
    sub = 4  # subsamples per pixel and axis, for the round edges only

    def inside_square(x, y):
        # the rounded square over the whole icon
        dx = max(corner - x, x - (size - corner), 0)
        dy = max(corner - y, y - (size - corner), 0)
        return dx * dx + dy * dy <= corner * corner

    def colour(x, y, sector, r_centre):
        r = math.hypot(x - c, y - c)
        if not inside_square(x, y):
            return None
        if mark_top <= y < mark_bottom and abs(x - c) < 1:
            return MARK
        if r >= disc:
            return BACK
        r = r_centre  # inside the disc: the pixel's centre decides
        if r < shaft - 1:
            return SHAFT
        if r < shaft:
            return SHAFT_EDGE if size >= 32 else SHAFT
        for t in range(tracks):
            if radii[t] <= r < radii[t + 1] - (1 if gaps else 0):
                bit = tracks - 1 - t  # the innermost track is the highest bit
                g = sector ^ (sector >> 1)
                return DARK if (g >> bit) & 1 else LIGHT
        return LIGHT

    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            # Inside the disc the pixel's centre decides (nudged off the diagonals, so that a
            # pixel is never split between two sectors); the outline is smoothed by subsamples.
            ax, ay = px + 0.5 - c + 1e-3, py + 0.5 - c + 3e-3
            angle = (math.atan2(ay, ax) + math.pi / 2) % (2 * math.pi)
            sector = int(angle / (2 * math.pi) * steps) % steps
            r_centre = math.hypot(px + 0.5 - c, py + 0.5 - c)
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(sub):
                for sx in range(sub):
                    col = colour(px + (sx + 0.5) / sub, py + (sy + 0.5) / sub, sector, r_centre)
                    if col is not None:
                        for i in range(3):
                            acc[i] += col[i]
                        acc[3] += 1
            n = acc[3]
            if n == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(v / n) for v in acc[:3]) + (round(255 * n / (sub * sub)),))
        rows.append(row)
    return rows


def write_png(path, rows):
    """An 8-bit RGBA PNG of the rows, without any library."""
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    for name, text, size in (("148", background(), None), ("128", icon(), None)):
        svg = os.path.join(HERE, name + ".svg")
        with open(svg, "w", encoding="utf-8") as f:
            f.write(text + "\n")
        png = os.path.join(HERE, name + ".png")
        if shutil.which("rsvg-convert"):
            subprocess.run(["rsvg-convert", "-o", png, svg], check=True)
        else:
            print("rsvg-convert not found: only", svg, "was written")
    for n in SMALL_ICONS:
        write_png(os.path.join(HERE, f"128-{n}.png"), small_icon(n))
    if shutil.which("rsvg-convert"):
        svg = os.path.join(HERE, "128.svg")
        for n in ICON_SIZES:
            if n in SMALL_ICONS:
                continue
            png = os.path.join(HERE, f"128-{n}.png")
            subprocess.run(["rsvg-convert", "-w", str(n), "-h", str(n), "-o", png, svg], check=True)
    write_ico(os.path.join(HERE, "128.ico"), ICO_SIZES)


if __name__ == "__main__":
    main()
