#!/usr/bin/env python3
"""Writes the statics' and the grass's meshes as .mesh.xml files into a
folder (usage: make_meshes.py OUTPUT_FOLDER); the build converts them with
OgreXMLConverter.

- platform.mesh.xml: a stone block 8 x 1.5 x 8 standing on its base, and a
  sub-mesh "platform_collide" over its top: the walkable ground.
- pillar.mesh.xml: a stone pillar 1.6 x 9 x 1.6, tall enough to be faded
  when it hides the view.
- Grass_Mesh.mesh.xml: two crossed quads, one unit wide and high.
"""
import os
import sys

# The six faces of a unit box as (normal, four corners counter-clockwise
# seen from outside); corners in 0..1.
FACES = [
    ((0, 1, 0), [(0, 1, 0), (0, 1, 1), (1, 1, 1), (1, 1, 0)]),
    ((0, -1, 0), [(0, 0, 0), (1, 0, 0), (1, 0, 1), (0, 0, 1)]),
    ((1, 0, 0), [(1, 0, 0), (1, 1, 0), (1, 1, 1), (1, 0, 1)]),
    ((-1, 0, 0), [(0, 0, 0), (0, 0, 1), (0, 1, 1), (0, 1, 0)]),
    ((0, 0, 1), [(0, 0, 1), (1, 0, 1), (1, 1, 1), (0, 1, 1)]),
    ((0, 0, -1), [(0, 0, 0), (0, 1, 0), (1, 1, 0), (1, 0, 0)]),
]
UVS = [(0, 1), (1, 1), (1, 0), (0, 0)]


def box(size, faces=None, uv_scale=(1, 1)):
    """Quads of a box of `size` (x, y, z) standing on y = 0, centred in x and
    z: (position, normal, uv) corners, four per quad."""
    sx, sy, sz = size
    quads = []
    for normal, corners in FACES if faces is None else [FACES[i] for i in faces]:
        quad = []
        for (cx, cy, cz), (u, v) in zip(corners, UVS):
            position = ((cx - 0.5) * sx, cy * sy, (cz - 0.5) * sz)
            quad.append((position, normal, (u * uv_scale[0], v * uv_scale[1])))
        quads.append(quad)
    return quads


def submesh(material, quads, bones=None):
    """`bones`, when given, holds the skeleton bone index each quad is bound
    to (all four corners, weight 1)."""
    lines = ['    <submesh material="%s" usesharedvertices="false" use32bitindexes="false" '
             'operationtype="triangle_list">' % material]
    lines.append('      <faces count="%d">' % (2 * len(quads)))
    for q in range(len(quads)):
        i = 4 * q
        lines.append('        <face v1="%d" v2="%d" v3="%d"/>' % (i, i + 1, i + 2))
        lines.append('        <face v1="%d" v2="%d" v3="%d"/>' % (i, i + 2, i + 3))
    lines.append('      </faces>')
    lines.append('      <geometry vertexcount="%d">' % (4 * len(quads)))
    lines.append('        <vertexbuffer positions="true" normals="true" texture_coords="1" '
                 'texture_coord_dimensions_0="2">')
    for quad in quads:
        for (x, y, z), (nx, ny, nz), (u, v) in quad:
            lines.append('          <vertex><position x="%g" y="%g" z="%g"/><normal x="%g" y="%g" z="%g"/>'
                         '<texcoord u="%g" v="%g"/></vertex>' % (x, y, z, nx, ny, nz, u, v))
    lines.append('        </vertexbuffer>')
    lines.append('      </geometry>')
    if bones is not None:
        lines.append('      <boneassignments>')
        for q, bone in enumerate(bones):
            for i in range(4 * q, 4 * q + 4):
                lines.append('        <vertexboneassignment vertexindex="%d" boneindex="%d" weight="1"/>' % (i, bone))
        lines.append('      </boneassignments>')
    lines.append('    </submesh>')
    return lines


def write_mesh(path, submeshes, skeleton=None):
    """submeshes: (material, quads) or (material, quads, bones) each."""
    lines = ['<mesh>', '  <submeshes>']
    for entry in submeshes:
        lines += submesh(*entry)
    lines.append('  </submeshes>')
    if skeleton:
        lines.append('  <skeletonlink name="%s"/>' % skeleton)
    lines += ['</mesh>', '']
    with open(path, 'w') as out:
        out.write('\n'.join(lines))


def crossed_quads():
    quads = []
    for (ax, az) in [(1, 0), (0, 1)]:
        corners = [(-0.5, 0, 0), (0.5, 0, 0), (0.5, 1, 0), (-0.5, 1, 0)]
        normal = (az, 0, ax)
        quad = []
        for (c, y, _), (u, v) in zip(corners, UVS):
            quad.append(((c * ax, y, c * az), normal, (u, v)))
        quads.append(quad)
    return quads


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_mesh(os.path.join(out, 'platform.mesh.xml'),
               [('platform_stone', box((8, 1.5, 8), uv_scale=(2, 1))),
                ('platform_collide', box((8, 1.5, 8), faces=[0]))])
    write_mesh(os.path.join(out, 'pillar.mesh.xml'), [('pillar_stone', box((1.6, 9, 1.6), uv_scale=(1, 4)))])
    write_mesh(os.path.join(out, 'Grass_Mesh.mesh.xml'), [('grass_mat', crossed_quads())])


if __name__ == '__main__':
    main()
