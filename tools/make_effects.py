#!/usr/bin/env python3
"""Writes the effects' meshes (.mesh.xml) and draws their textures into a
folder (usage: make_effects.py OUTPUT_FOLDER); the build converts the XML
with OgreXMLConverter.

- link.mesh.xml: the link object's mesh, a slim column 0.3 x 6 x 0.3.
- fx_shard.mesh.xml: a small crystal (a box 0.3 x 0.5 x 0.3), the shape of
  mesh particles.
- fx_arrow.mesh.xml: an arrow 1.1 long pointing along +z, where a flying
  effect node faces: a thin wooden shaft behind the origin and a steel head
  whose tip is 0.25 ahead of it. Its parts take their colours from the two
  texels of fx_arrow.png.
- fx_spark.png: a soft white dot fading to black at its rim, for additive
  blending, which ignores alpha: the dot is in the colour (the alpha holds
  it too, as premultiplied alpha would).
- fx_soft.png: the same dot in white fading to transparent, for alpha
  blending: the dot is in the alpha.
- fx_ring.png: a bright ring on transparent ground, the selection marker.
- fx_arrow.png: the arrow's colours, wood left and steel right.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_meshes import box, write_mesh  # noqa: E402
from make_textures import write_png  # noqa: E402


def radial_texture(path, size, alpha_of, premultiplied=False):
    """A round texture whose alpha at distance r from the middle (1 at the
    edge's midpoints) is alpha_of(r); white, or with premultiplied the
    colour as bright as the alpha."""
    pixels = []
    for y in range(size):
        for x in range(size):
            r = math.hypot((x + 0.5) / size - 0.5, (y + 0.5) / size - 0.5) * 2.0
            a = int(max(0.0, min(1.0, alpha_of(r))) * 255)
            grey = a if premultiplied else 255
            pixels += [grey, grey, grey, a]
    write_png(path, size, size, 4, pixels)


# The arrow's measures: the shaft's length and thickness, the head's length
# and width; the texture coordinates of the shaft's and the head's texels.
SHAFT = (0.85, 0.06)
HEAD = (0.25, 0.16)
WOOD_UV, STEEL_UV = (0.25, 0.5), (0.75, 0.5)


def arrow():
    """Quads of the arrow: a box for the shaft (centred on the z axis, from
    -SHAFT[0] to 0) and a four-sided pyramid for the head (base at z = 0,
    tip at z = HEAD[0]); a triangle is a quad with its last corner doubled."""
    length, thick = SHAFT
    quads = [[((x, y - thick / 2, z - length / 2), n, WOOD_UV) for (x, y, z), n, _ in quad]
             for quad in box((thick, thick, length))]
    tip_z, half = HEAD[0], HEAD[1] / 2
    base = [(-half, -half), (half, -half), (half, half), (-half, half)]
    tip = (0.0, 0.0, tip_z)
    for i in range(4):
        (x1, y1), (x2, y2) = base[i], base[(i + 1) % 4]
        # The outward normal of the side through the base edge and the tip.
        mx, my = (x1 + x2) / 2, (y1 + y2) / 2
        norm = math.hypot(mx, my, half * half / tip_z)
        normal = (mx / norm, my / norm, half * half / tip_z / norm)
        quads.append([((x1, y1, 0.0), normal, STEEL_UV), ((x2, y2, 0.0), normal, STEEL_UV),
                      (tip, normal, STEEL_UV), (tip, normal, STEEL_UV)])
    quads.append([((x, y, 0.0), (0, 0, -1), STEEL_UV) for x, y in reversed(base)])
    return quads


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_mesh(os.path.join(out, 'link.mesh.xml'), [('fx_link', box((0.3, 6.0, 0.3)))])
    write_mesh(os.path.join(out, 'fx_shard.mesh.xml'), [('fx_shard', box((0.3, 0.5, 0.3)))])
    write_mesh(os.path.join(out, 'fx_arrow.mesh.xml'), [('fx_arrow', arrow())])
    write_png(os.path.join(out, 'fx_arrow.png'), 2, 1, 4, [150, 105, 60, 255, 225, 230, 240, 255])
    radial_texture(os.path.join(out, 'fx_spark.png'), 32, lambda r: 1.0 - r, premultiplied=True)
    radial_texture(os.path.join(out, 'fx_soft.png'), 32, lambda r: 1.0 - r)
    radial_texture(os.path.join(out, 'fx_ring.png'), 64, lambda r: 1.0 - abs(r - 0.8) * 8.0)


if __name__ == '__main__':
    main()
