#version 120
// Lines and shapes in their vertex colours.
uniform mat4 worldViewProj;

void main() {
  gl_Position = worldViewProj * gl_Vertex;
  gl_FrontColor = gl_Color;
}
