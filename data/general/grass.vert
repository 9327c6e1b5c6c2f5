#version 120
// Grass blades swaying: the tops move by the kind's noise and pace.
uniform mat4 worldViewProj;
uniform float noise_x;
uniform float noise_z;
uniform float timeVal;
uniform float time;

varying vec2 uv;

void main() {
  vec4 position = gl_Vertex;
  float sway = sin(time * timeVal * 2.0 + position.x + position.z) * (1.0 - gl_MultiTexCoord0.y);
  position.x += noise_x * sway;
  position.z += noise_z * sway;
  uv = gl_MultiTexCoord0.xy;
  gl_Position = worldViewProj * position;
}
