#version 120
// Grass blades: the tops sway by the kind's noise and pace, the blades are
// lit by the first light, and they fade out toward the far edge of the
// grass pages. The pages set the light, time and fade constants on every
// pass; the defaults keep a page that does not fade fully visible.
uniform vec4 objSpaceLight;
uniform vec4 lightDiffuse;
uniform vec4 lightAmbient;
uniform vec3 camPos;
uniform float invisibleDist;
uniform float fadeGap;
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
  // Blades catch the light mostly from above, whichever way they face.
  vec3 light = normalize(objSpaceLight.xyz - gl_Vertex.xyz * objSpaceLight.w);
  vec3 normal = normalize(vec3(0.0, 1.5, 0.0) + gl_Normal * sign(dot(gl_Normal, light)));
  gl_FrontColor = lightAmbient + max(dot(normal, light), 0.0) * lightDiffuse;
  gl_FrontColor.a = clamp((invisibleDist - distance(camPos.xz, gl_Vertex.xz)) / fadeGap, 0.0, 1.0);
  uv = gl_MultiTexCoord0.xy;
  gl_Position = gl_ModelViewProjectionMatrix * position;
}
