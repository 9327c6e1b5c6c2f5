#version 120
// Effect meshes that pulse: position and texture coordinate only.
uniform mat4 worldViewProj;

void main() {
  gl_Position = worldViewProj * gl_Vertex;
  gl_TexCoord[0] = gl_MultiTexCoord0;
}
