#!/usr/bin/env python3
"""Writes the units' meshes and skeletons (.mesh.xml, .skeleton.xml) and
draws their textures into a folder (usage: make_units.py OUTPUT_FOLDER); the
build converts the XML with OgreXMLConverter and OgreMeshUpgrader.

- human.skeleton.xml: the skeleton of every walking unit. Bones "Bip01"
  (pelvis), "Bip01 Spine" (what the "target" alias names), "Bip01 Head",
  arms down to "Bip01 L Hand" / "Bip01 R Hand", legs, and "release" in front
  of the chest, where projectiles leave. Animations "stand", "run", "attack",
  "die", "injured": the Anim names of the unit templates.
- <unit>.mesh.xml for each walking unit: boxes bound rigidly to the bones,
  textured from the unit's own 4 x 4 cell atlas <unit>.png.
- coin.mesh.xml and coin.skeleton.xml: the pick-ups' coin spinning in
  "stand"; coin_gold.png and coin_silver.png.
- helmet.mesh.xml (on the head bone of the human skeleton), sword.mesh.xml
  and shield.mesh.xml (no skeleton; hung on hand and forearm bones): the
  swordsman's choice parts, textured from equipment.png; the shield's
  effect texture glow.png shines through shield_mask.png.
- collider.mesh.xml: a unit box standing on y = 0, the units' picking shape.
  Its texture coordinates run up its sides: v is 1 at the ground and 0 at
  the top, so the delete marker drawn with it can fade upward.
- marker_fade.png: the delete marker's fade, white with an alpha of 1 at the
  bottom row falling to 0 a quarter of the way up.
- unit_white.png: the base materials' default texture.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_meshes import FACES, box, write_mesh  # noqa: E402
from make_textures import write_png  # noqa: E402

ATLAS_CELLS = 4  # cells per row of a unit texture
CELL = 16        # pixels per cell

# Atlas cells of a walking unit's texture.
SKIN, FACE, SHIRT, TROUSERS, BOOTS, ACCENT, HAIR = range(7)

# Bones of the human skeleton: name, parent, joint position in the model.
BONES = [
    ("Bip01", None, (0, 1.0, 0)),
    ("Bip01 Spine", "Bip01", (0, 1.1, 0)),
    ("Bip01 Head", "Bip01 Spine", (0, 1.72, 0)),
    ("Bip01 L UpperArm", "Bip01 Spine", (0.33, 1.65, 0)),
    ("Bip01 L Forearm", "Bip01 L UpperArm", (0.33, 1.35, 0)),
    ("Bip01 L Hand", "Bip01 L Forearm", (0.33, 1.05, 0)),
    ("Bip01 R UpperArm", "Bip01 Spine", (-0.33, 1.65, 0)),
    ("Bip01 R Forearm", "Bip01 R UpperArm", (-0.33, 1.35, 0)),
    ("Bip01 R Hand", "Bip01 R Forearm", (-0.33, 1.05, 0)),
    ("Bip01 L Thigh", "Bip01", (0.13, 0.95, 0)),
    ("Bip01 L Calf", "Bip01 L Thigh", (0.13, 0.5, 0)),
    ("Bip01 R Thigh", "Bip01", (-0.13, 0.95, 0)),
    ("Bip01 R Calf", "Bip01 R Thigh", (-0.13, 0.5, 0)),
    ("release", "Bip01 Spine", (0, 1.5, 0.45)),
]

# The body every walking unit shares: (bone, lower corner, upper corner,
# cell, cell of the front face or None). Left is +x: a unit faces +z.
BODY = [
    ("Bip01", (-0.22, 0.85, -0.13), (0.22, 1.1, 0.13), TROUSERS, None),
    ("Bip01 Spine", (-0.25, 1.1, -0.15), (0.25, 1.7, 0.15), SHIRT, None),
    ("Bip01 Head", (-0.15, 1.72, -0.15), (0.15, 2.02, 0.15), SKIN, FACE),
    ("Bip01 Head", (-0.16, 1.94, -0.16), (0.16, 2.05, 0.12), HAIR, None),
]
for side, x in (("L", 1), ("R", -1)):
    def mirrored(lo, hi):
        return (min(lo[0] * x, hi[0] * x), lo[1], lo[2]), (max(lo[0] * x, hi[0] * x), hi[1], hi[2])
    for bone, lo, hi, cell in [("UpperArm", (0.27, 1.35, -0.06), (0.39, 1.67, 0.06), SHIRT),
                               ("Forearm", (0.28, 1.07, -0.055), (0.38, 1.35, 0.055), SHIRT),
                               ("Hand", (0.285, 0.95, -0.05), (0.375, 1.07, 0.05), SKIN),
                               ("Thigh", (0.04, 0.48, -0.09), (0.22, 0.9, 0.09), TROUSERS),
                               ("Calf", (0.05, 0.0, -0.08), (0.21, 0.48, 0.1), BOOTS)]:
        BODY.append(("Bip01 %s %s" % (side, bone),) + mirrored(lo, hi) + (cell, None))

# What each walking unit adds to the body.
QUIVER = [("Bip01 Spine", (0.04, 1.2, -0.28), (0.18, 1.75, -0.15), ACCENT, None)]
EXTRAS = {
    "swordsman": [("Bip01", (-0.24, 1.02, -0.15), (0.24, 1.1, 0.15), ACCENT, None)],
    "archer": QUIVER,
    "dark_archer": QUIVER,
    "farmer": [("Bip01 Head", (-0.28, 2.02, -0.28), (0.28, 2.06, 0.28), ACCENT, None),
               ("Bip01 Head", (-0.16, 2.05, -0.16), (0.16, 2.2, 0.16), ACCENT, None)],
    "priest": [("Bip01", (-0.27, 0.3, -0.18), (0.27, 1.0, 0.18), SHIRT, None),
               ("Bip01 Spine", (-0.05, 1.3, 0.15), (0.05, 1.6, 0.17), ACCENT, None)],
    "goblin": [("Bip01 Head", (0.15, 1.84, -0.03), (0.3, 1.94, 0.03), SKIN, None),
               ("Bip01 Head", (-0.3, 1.84, -0.03), (-0.15, 1.94, 0.03), SKIN, None)],
    "brute": [("Bip01 L UpperArm", (0.24, 1.56, -0.1), (0.44, 1.72, 0.1), ACCENT, None),
              ("Bip01 R UpperArm", (-0.44, 1.56, -0.1), (-0.24, 1.72, 0.1), ACCENT, None)],
}

# Colours of each unit's cells: skin, shirt, trousers, boots, accent, hair.
PALETTES = {
    "swordsman": ((0.93, 0.76, 0.62), (0.18, 0.32, 0.78), (0.45, 0.45, 0.5), (0.25, 0.18, 0.12), (0.8, 0.8, 0.85),
                  (0.3, 0.2, 0.1)),
    "archer": ((0.93, 0.76, 0.62), (0.2, 0.55, 0.25), (0.45, 0.33, 0.2), (0.3, 0.2, 0.12), (0.55, 0.38, 0.2),
               (0.75, 0.6, 0.25)),
    "farmer": ((0.9, 0.72, 0.58), (0.78, 0.66, 0.36), (0.4, 0.3, 0.2), (0.28, 0.2, 0.12), (0.88, 0.8, 0.45),
               (0.2, 0.15, 0.1)),
    "priest": ((0.93, 0.78, 0.66), (0.94, 0.93, 0.86), (0.85, 0.84, 0.78), (0.6, 0.5, 0.35), (0.9, 0.75, 0.2),
               (0.85, 0.85, 0.85)),
    "goblin": ((0.38, 0.62, 0.25), (0.42, 0.3, 0.18), (0.3, 0.24, 0.16), (0.2, 0.15, 0.1), (0.6, 0.2, 0.15),
               (0.15, 0.2, 0.1)),
    "brute": ((0.72, 0.48, 0.38), (0.55, 0.12, 0.1), (0.3, 0.22, 0.18), (0.18, 0.14, 0.1), (0.5, 0.5, 0.52),
              (0.1, 0.08, 0.06)),
    "dark_archer": ((0.7, 0.62, 0.6), (0.28, 0.12, 0.38), (0.15, 0.12, 0.18), (0.1, 0.08, 0.1), (0.45, 0.1, 0.5),
                    (0.05, 0.05, 0.05)),
}

# Animations: name -> (length, {bone: [(time, (axis, degrees), (dx, dy, dz))]}).
# Rotations turn a bone from its binding pose: +X tips a limb hanging down
# backward and leans the spine forward.
X, Y, Z = (1, 0, 0), (0, 1, 0), (0, 0, 1)
NONE = (0, 0, 0)


def swing(bone_keys):
    """Keys of rotations about one axis: [(time, axis, degrees)]."""
    return [(t, (axis, deg), NONE) for t, axis, deg in bone_keys]


ANIMATIONS = {
    "stand": (2.0, {
        "Bip01 Spine": swing([(0, X, 0), (1.0, X, 3), (2.0, X, 0)]),
        "Bip01 Head": swing([(0, X, 0), (1.0, X, -4), (2.0, X, 0)]),
        "Bip01 L UpperArm": swing([(0, Z, 4), (1.0, Z, 7), (2.0, Z, 4)]),
        "Bip01 R UpperArm": swing([(0, Z, -4), (1.0, Z, -7), (2.0, Z, -4)]),
    }),
    "run": (0.8, {
        "Bip01": [(0, (X, 0), NONE), (0.2, (X, 0), (0, 0.06, 0)), (0.4, (X, 0), NONE),
                  (0.6, (X, 0), (0, 0.06, 0)), (0.8, (X, 0), NONE)],
        "Bip01 Spine": swing([(0, X, 8), (0.8, X, 8)]),
        "Bip01 L Thigh": swing([(0, X, -35), (0.4, X, 35), (0.8, X, -35)]),
        "Bip01 R Thigh": swing([(0, X, 35), (0.4, X, -35), (0.8, X, 35)]),
        "Bip01 L Calf": swing([(0, X, 15), (0.2, X, 60), (0.4, X, 15), (0.6, X, 25), (0.8, X, 15)]),
        "Bip01 R Calf": swing([(0, X, 15), (0.2, X, 25), (0.4, X, 15), (0.6, X, 60), (0.8, X, 15)]),
        "Bip01 L UpperArm": swing([(0, X, 30), (0.4, X, -30), (0.8, X, 30)]),
        "Bip01 R UpperArm": swing([(0, X, -30), (0.4, X, 30), (0.8, X, -30)]),
        "Bip01 L Forearm": swing([(0, X, -30), (0.8, X, -30)]),
        "Bip01 R Forearm": swing([(0, X, -30), (0.8, X, -30)]),
    }),
    "attack": (0.8, {
        "Bip01 R UpperArm": swing([(0, X, 0), (0.3, X, -150), (0.38, X, -60), (0.45, X, 25), (0.8, X, 0)]),
        "Bip01 R Forearm": swing([(0, X, 0), (0.3, X, -30), (0.45, X, 0), (0.8, X, 0)]),
        "Bip01 Spine": swing([(0, Y, 0), (0.3, Y, 15), (0.45, Y, -10), (0.8, Y, 0)]),
        "Bip01 L UpperArm": swing([(0, X, 0), (0.3, X, -20), (0.8, X, 0)]),
    }),
    "die": (1.2, {
        "Bip01": [(0, (X, 0), NONE), (0.5, (X, -45), (0, -0.3, 0)), (1.0, (X, -90), (0, -0.85, 0)),
                  (1.2, (X, -90), (0, -0.85, 0))],
        "Bip01 L UpperArm": swing([(0, Z, 0), (1.0, Z, 40), (1.2, Z, 40)]),
        "Bip01 R UpperArm": swing([(0, Z, 0), (1.0, Z, -40), (1.2, Z, -40)]),
        "Bip01 Head": swing([(0, Y, 0), (1.0, Y, 30), (1.2, Y, 30)]),
    }),
    "injured": (0.4, {
        "Bip01 Spine": swing([(0, X, 0), (0.12, X, -18), (0.4, X, 0)]),
        "Bip01 Head": swing([(0, X, 0), (0.12, X, -10), (0.4, X, 0)]),
    }),
}

COIN_BONES = [("Bip01", None, (0, 0.5, 0)), ("Bip01 Spine", "Bip01", (0, 0.5, 0)),
              ("release", "Bip01", (0, 0.5, 0))]
COIN_ANIMATIONS = {
    "stand": (2.0, {"Bip01": [(t * 0.5, (Y, t * 90), (0, 0.1 * (t % 2), 0)) for t in range(5)]}),
}


def skeleton_xml(bones, animations):
    joints = {name: position for name, _, position in bones}
    lines = ["<skeleton>", "  <bones>"]
    for handle, (name, parent, (x, y, z)) in enumerate(bones):
        if parent:
            px, py, pz = joints[parent]
            x, y, z = x - px, y - py, z - pz
        lines.append('    <bone id="%d" name="%s">' % (handle, name))
        lines.append('      <position x="%g" y="%g" z="%g"/>' % (x, y, z))
        lines.append('      <rotation angle="0"><axis x="1" y="0" z="0"/></rotation>')
        lines.append("    </bone>")
    lines += ["  </bones>", "  <bonehierarchy>"]
    for name, parent, _ in bones:
        if parent:
            lines.append('    <boneparent bone="%s" parent="%s"/>' % (name, parent))
    lines += ["  </bonehierarchy>", "  <animations>"]
    for name, (length, tracks) in animations.items():
        lines.append('    <animation name="%s" length="%g">' % (name, length))
        lines.append("      <tracks>")
        for bone, keys in tracks.items():
            lines.append('        <track bone="%s">' % bone)
            lines.append("          <keyframes>")
            for time, ((ax, ay, az), degrees), (dx, dy, dz) in keys:
                lines.append('            <keyframe time="%g">' % time)
                lines.append('              <translate x="%g" y="%g" z="%g"/>' % (dx, dy, dz))
                lines.append('              <rotate angle="%g"><axis x="%g" y="%g" z="%g"/></rotate>'
                             % (math.radians(degrees), ax, ay, az))
                lines.append("            </keyframe>")
            lines.append("          </keyframes>")
            lines.append("        </track>")
        lines.append("      </tracks>")
        lines.append("    </animation>")
    lines += ["  </animations>", "</skeleton>", ""]
    return "\n".join(lines)


def placed_box(lo, hi, cell, front_cell=None):
    """Quads of the box between two corners, every face mapped into one atlas
    cell (the +z face into `front_cell` when given)."""
    size = tuple(b - a for a, b in zip(lo, hi))
    centre = ((lo[0] + hi[0]) / 2, lo[1], (lo[2] + hi[2]) / 2)
    quads = []
    for face, quad in enumerate(box(size)):
        c = front_cell if front_cell is not None and FACES[face][0] == (0, 0, 1) else cell
        cu, cv = c % ATLAS_CELLS, c // ATLAS_CELLS
        quads.append([((x + centre[0], y + centre[1], z + centre[2]), normal,
                       ((cu + 0.1 + 0.8 * u) / ATLAS_CELLS, (cv + 0.1 + 0.8 * v) / ATLAS_CELLS))
                      for (x, y, z), normal, (u, v) in quad])
    return quads


def bound_boxes(boxes, bones):
    """Quads and the bone index of each quad for (bone, lo, hi, cell, front)."""
    handles = {name: handle for handle, (name, _, _) in enumerate(bones)}
    quads, owners = [], []
    for bone, lo, hi, cell, front in boxes:
        faces = placed_box(lo, hi, cell, front)
        quads += faces
        owners += [handles[bone]] * len(faces)
    return quads, owners


def coin_quads():
    """An upright disc of radius 0.35 and thickness 0.08 centred at height 0.5:
    the two faces as fans of quads and the rim."""
    n, r, h = 12, 0.35, 0.04
    rim = [(r * math.cos(2 * math.pi * i / n), 0.5 + r * math.sin(2 * math.pi * i / n)) for i in range(n)]

    def uv(x, y):
        return (0.5 + x / (2 * r), 0.5 - (y - 0.5) / (2 * r))

    quads = []
    for z, order in ((h, 1), (-h, -1)):
        points = rim if order > 0 else rim[::-1]
        for k in range(1, n - 1, 2):
            corners = [points[0], points[k], points[k + 1], points[min(k + 2, n - 1)]]
            quads.append([((x, y, z), (0, 0, order), uv(x, y)) for x, y in corners])
    for i in range(n):
        (x0, y0), (x1, y1) = rim[i], rim[(i + 1) % n]
        nx, ny = math.cos(2 * math.pi * (i + 0.5) / n), math.sin(2 * math.pi * (i + 0.5) / n)
        quads.append([((x0, y0, -h), (nx, ny, 0), (0, 0)), ((x1, y1, -h), (nx, ny, 0), (1, 0)),
                      ((x1, y1, h), (nx, ny, 0), (1, 1)), ((x0, y0, h), (nx, ny, 0), (0, 1))])
    return quads


def cells_texture(path, colours):
    """An atlas of flat cells, each darkened toward its border; the face cell
    (1) is the skin with two eyes and a mouth."""
    size = ATLAS_CELLS * CELL
    pixels = bytearray()
    for y in range(size):
        for x in range(size):
            cell = (y // CELL) * ATLAS_CELLS + x // CELL
            cx, cy = x % CELL, y % CELL
            colour = colours.get(cell, (0.5, 0.5, 0.5))
            shade = 1.0 - 0.25 * max(abs(cx - 7.5), abs(cy - 7.5)) / 7.5
            if cell == FACE and ((cy in (6, 7) and cx in (4, 5, 10, 11)) or (cy == 11 and 5 <= cx <= 10)):
                colour, shade = (0.1, 0.08, 0.08), 1.0
            pixels += bytes(int(255 * min(1.0, c * shade)) for c in colour) + b"\xff"
    write_png(path, size, size, 4, pixels)


def coin_texture(path, light, dark):
    size = 64
    pixels = bytearray()
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - 31.5, y - 31.5) / 32
            t = 1.0 if 0.72 < d < 0.82 else 0.4 + 0.6 * (1 - d)
            pixels += bytes(int(255 * (dk + (lt - dk) * t)) for lt, dk in zip(light, dark)) + b"\xff"
    write_png(path, size, size, 4, pixels)


def pattern_texture(path, size, value):
    """A grey or colour texture from value(u, v) -> (r, g, b)."""
    pixels = bytearray()
    for y in range(size):
        for x in range(size):
            pixels += bytes(int(255 * max(0.0, min(1.0, c))) for c in value(x / size, y / size)) + b"\xff"
    write_png(path, size, size, 4, pixels)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    def path(name):
        return os.path.join(out, name)

    with open(path("human.skeleton.xml"), "w") as f:
        f.write(skeleton_xml(BONES, ANIMATIONS))
    for unit, palette in PALETTES.items():
        quads, owners = bound_boxes(BODY + EXTRAS.get(unit, []), BONES)
        write_mesh(path(unit + ".mesh.xml"), [("unit_human", quads, owners)], "human.skeleton")
        skin, shirt, trousers, boots, accent, hair = palette
        cells_texture(path(unit + ".png"), {SKIN: skin, FACE: skin, SHIRT: shirt, TROUSERS: trousers, BOOTS: boots,
                                            ACCENT: accent, HAIR: hair})

    with open(path("coin.skeleton.xml"), "w") as f:
        f.write(skeleton_xml(COIN_BONES, COIN_ANIMATIONS))
    coin = coin_quads()
    write_mesh(path("coin.mesh.xml"), [("unit_human", coin, [0] * len(coin))], "coin.skeleton")
    coin_texture(path("coin_gold.png"), (1.0, 0.85, 0.3), (0.6, 0.4, 0.05))
    coin_texture(path("coin_silver.png"), (0.95, 0.95, 1.0), (0.45, 0.47, 0.52))

    # The swordsman's parts. Cells of equipment.png: 0 steel, 1 wood,
    # 2 leather, 3 gold trim.
    metal, wood, leather, gold = range(4)
    helmet = [("Bip01 Head", (-0.18, 1.94, -0.18), (0.18, 2.12, 0.18), metal, None),
              ("Bip01 Head", (-0.02, 1.78, 0.15), (0.02, 1.95, 0.19), gold, None)]
    quads, owners = bound_boxes(helmet, BONES)
    write_mesh(path("helmet.mesh.xml"), [("unit_human", quads, owners)], "human.skeleton")
    # The sword lies along the hand's +z: forward while the arm hangs, over
    # the shoulder when it is raised.
    sword = (placed_box((-0.025, -0.025, -0.08), (0.025, 0.025, 0.08), leather)
             + placed_box((-0.12, -0.03, 0.08), (0.12, 0.03, 0.12), gold)
             + placed_box((-0.035, -0.012, 0.12), (0.035, 0.012, 0.95), metal))
    write_mesh(path("sword.mesh.xml"), [("unit_human", sword)])
    # The shield on the outside of the left forearm.
    shield = placed_box((0.06, -0.28, -0.22), (0.1, 0.12, 0.22), wood)
    write_mesh(path("shield.mesh.xml"), [("unit_human", shield)])
    cells_texture(path("equipment.png"), {metal: (0.78, 0.8, 0.85), wood: (0.5, 0.32, 0.16),
                                          leather: (0.35, 0.22, 0.12), gold: (0.9, 0.72, 0.2)})
    pattern_texture(path("glow.png"), 32, lambda u, v: (0.2, 0.5 + 0.5 * math.sin(6.283 * v), 1.0))
    # The glow shows on the shield's wood cell only, inside a border.
    pattern_texture(path("shield_mask.png"), 64,
                    lambda u, v: (1.0,) * 3 if 0.28 < u < 0.47 and 0.03 < v < 0.22 else (0.0,) * 3)

    collider = [[(p, n, (0.5, 1.0 - p[1])) for p, n, _ in quad] for quad in box((1, 1, 1))]
    write_mesh(path("collider.mesh.xml"), [("unit_human", collider)])
    rows = 64
    fade = [max(0.0, 1.0 - (1.0 - (y + 0.5) / rows) / 0.25) ** 2 for y in range(rows)]
    write_png(path("marker_fade.png"), 1, rows, 4, [c for a in fade for c in (255, 255, 255, int(a * 255))])
    pattern_texture(path("unit_white.png"), 4, lambda u, v: (1.0, 1.0, 1.0))


if __name__ == "__main__":
    main()
