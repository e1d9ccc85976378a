#!/usr/bin/python3
"""Renders assets/world.gif, the world bitmap under every map: equirectangular, 2880 x 1440
pixels, 8 pixels a degree, left edge at 180 W and top edge at 90 N, so that a locator square
(2 x 1 degrees) is a cell of 16 x 8 pixels. Land, sea and faint country borders come from the
public-domain Natural Earth data at 1:50m, as the npm package world-atlas carries it (TopoJSON);
the 18 x 18 grid of Maidenhead fields is drawn over it with each field's two letters.

Needs Debian's python3-pil and npm. The package is fetched into a temporary folder and removed
again; only the picture is kept. Run from anywhere:

    /usr/bin/python3 scripts/make_world_map.py [output-file]
"""

import json
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFont

WIDTH, HEIGHT = 2880, 1440
PER_DEGREE = WIDTH // 360
# Drawn this many times larger, then scaled down: smooth coastlines without blurred lines.
SUPER = 3
ATLAS = "world-atlas@2.0.2"

SEA = (120, 150, 180)
LAND = (176, 184, 146)
BORDER = (140, 146, 112)
GRID = (74, 96, 120)
LABEL = (38, 52, 70)


def fetch_atlas(folder):
    subprocess.run(["npm", "install", "--silent", "--no-audit", "--no-fund", "--prefix", folder, ATLAS],
                   check=True)
    base = os.path.join(folder, "node_modules", "world-atlas")
    with open(os.path.join(base, "land-50m.json"), encoding="utf-8") as f:
        land = json.load(f)
    with open(os.path.join(base, "countries-50m.json"), encoding="utf-8") as f:
        countries = json.load(f)
    return land, countries


def decode_arcs(topology):
    """The arcs as lists of (longitude, latitude): quantised and delta-encoded in the file."""
    sx, sy = topology["transform"]["scale"]
    tx, ty = topology["transform"]["translate"]
    arcs = []
    for arc in topology["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append((x * sx + tx, y * sy + ty))
        arcs.append(points)
    return arcs


def arc_points(arcs, index):
    # A negative index ~i is arc i walked backwards.
    return arcs[index] if index >= 0 else arcs[~index][::-1]


def ring_points(arcs, indexes):
    points = []
    for index in indexes:
        part = arc_points(arcs, index)
        points.extend(part if not points else part[1:])
    return points


def unwrap(points):
    """Makes the longitudes continuous, so a ring that crosses the 180th meridian does not jump
    across the whole picture; such a ring then runs past one edge and is drawn a second time
    shifted by 360 degrees."""
    out = []
    shift = 0.0
    previous = None
    for lon, lat in points:
        if previous is not None:
            step = lon + shift - previous
            if step > 180:
                shift -= 360
            elif step < -180:
                shift += 360
        out.append((lon + shift, lat))
        previous = lon + shift
    return out


def close_around_pole(points):
    """A ring that goes once round the globe (Antarctica's coast) encloses a pole: it is closed
    along the edge of the picture through that pole instead of straight across the map."""
    span = points[-1][0] - points[0][0]
    if abs(span) < 180:
        return points
    pole = -90.0 if sum(lat for _, lat in points) < 0 else 90.0
    return points + [(points[-1][0], pole), (points[0][0], pole)]


def to_pixels(points, offset, scale):
    return [((lon + 180 + offset) * PER_DEGREE * scale, (90 - lat) * PER_DEGREE * scale) for lon, lat in points]


def polygons_of(geometry):
    if geometry["type"] == "Polygon":
        return [geometry["arcs"]]
    if geometry["type"] == "MultiPolygon":
        return geometry["arcs"]
    return []


def draw_land(draw, topology, scale):
    arcs = decode_arcs(topology)
    polygons = []
    for geometry in topology["objects"]["land"]["geometries"]:
        polygons.extend(polygons_of(geometry))

    def area(polygon):
        pts = unwrap(ring_points(arcs, polygon[0]))
        return abs(sum(a[0] * b[1] - b[0] * a[1] for a, b in zip(pts, pts[1:] + pts[:1])))

    # Larger shapes first, so an island in a lake is drawn after the lake it lies in.
    for polygon in sorted(polygons, key=area, reverse=True):
        for number, ring in enumerate(polygon):
            points = close_around_pole(unwrap(ring_points(arcs, ring)))
            colour = LAND if number == 0 else SEA
            for offset in (-360, 0, 360):
                draw.polygon(to_pixels(points, offset, scale), fill=colour)


def draw_borders(draw, topology, scale):
    """Only the arcs shared by two countries: the coastlines are the land's own edge."""
    arcs = decode_arcs(topology)
    users = {}
    for country, geometry in enumerate(topology["objects"]["countries"]["geometries"]):
        for polygon in polygons_of(geometry):
            for ring in polygon:
                for index in ring:
                    users.setdefault(index if index >= 0 else ~index, set()).add(country)
    for index, owners in users.items():
        if len(owners) < 2:
            continue
        points = unwrap(arcs[index])
        for offset in (-360, 0, 360):
            draw.line(to_pixels(points, offset, scale), fill=BORDER, width=scale)


def label_font():
    for path in ("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                 "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"):
        if os.path.exists(path):
            return ImageFont.truetype(path, 11)
    return ImageFont.load_default()


def draw_fields(image):
    """The 18 x 18 Maidenhead fields: 20 degrees of longitude by 10 of latitude, lettered A-R
    eastwards from 180 W and northwards from 90 S."""
    overlay = Image.new("RGBA", image.size, (0, 0, 0, 0))
    draw = ImageDraw.Draw(overlay)
    field_w, field_h = 20 * PER_DEGREE, 10 * PER_DEGREE
    for i in range(1, 18):
        draw.line([(i * field_w, 0), (i * field_w, HEIGHT)], fill=GRID + (110,), width=1)
        draw.line([(0, i * field_h), (WIDTH, i * field_h)], fill=GRID + (110,), width=1)
    font = label_font()
    for column in range(18):
        for row in range(18):
            name = chr(ord("A") + column) + chr(ord("A") + row)
            top = HEIGHT - (row + 1) * field_h
            draw.text((column * field_w + 4, top + 3), name, font=font, fill=LABEL + (190,))
    return Image.alpha_composite(image.convert("RGBA"), overlay).convert("RGB")


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "assets", "world.gif")
    with tempfile.TemporaryDirectory() as folder:
        land, countries = fetch_atlas(folder)

    big = Image.new("RGB", (WIDTH * SUPER, HEIGHT * SUPER), SEA)
    draw = ImageDraw.Draw(big)
    draw_land(draw, land, SUPER)
    draw_borders(draw, countries, SUPER)
    picture = big.resize((WIDTH, HEIGHT), Image.LANCZOS)
    picture = draw_fields(picture)
    # A GIF holds 256 colours; the picture uses few, so an adaptive palette loses nothing visible.
    picture.quantize(colors=64, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE).save(
        target, "GIF", optimize=True)
    print(f"{target}: {WIDTH} x {HEIGHT}")


if __name__ == "__main__":
    main()
