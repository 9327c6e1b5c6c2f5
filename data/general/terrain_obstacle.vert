#version 120
// The editor's obstacle overlay over the terrain: the overlay texture over
// the whole map, shifted half a cell by the texture unit's scroll.
uniform mat4 worldViewProj;
uniform mat4 textureMatrix;

void main() {
  gl_Position = worldViewProj * gl_Vertex;
  gl_TexCoord[0] = textureMatrix * gl_MultiTexCoord0;
  gl_FrontColor = vec4(1.0);
}
