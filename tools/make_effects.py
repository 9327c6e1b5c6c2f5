#!/usr/bin/env python3
"""Writes the effects' meshes (.mesh.xml) and draws their textures into a
folder (usage: make_effects.py OUTPUT_FOLDER); the build converts the XML
with OgreXMLConverter.

- link.mesh.xml: the link object's mesh, a slim column 0.3 x 6 x 0.3.
- fx_shard.mesh.xml: a small crystal (a box 0.3 x 0.5 x 0.3), the shape of
  mesh particles.
- fx_spark.png: a soft white dot fading to black at its rim, for additive
  blending, which ignores alpha: the dot is in the colour (the alpha holds
  it too, as premultiplied alpha would).
- fx_soft.png: the same dot in white fading to transparent, for alpha
  blending: the dot is in the alpha.
- fx_ring.png: a bright ring on transparent ground, the selection marker.
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


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_mesh(os.path.join(out, 'link.mesh.xml'), [('fx_link', box((0.3, 6.0, 0.3)))])
    write_mesh(os.path.join(out, 'fx_shard.mesh.xml'), [('fx_shard', box((0.3, 0.5, 0.3)))])
    radial_texture(os.path.join(out, 'fx_spark.png'), 32, lambda r: 1.0 - r, premultiplied=True)
    radial_texture(os.path.join(out, 'fx_soft.png'), 32, lambda r: 1.0 - r)
    radial_texture(os.path.join(out, 'fx_ring.png'), 64, lambda r: 1.0 - abs(r - 0.8) * 8.0)


if __name__ == '__main__':
    main()
