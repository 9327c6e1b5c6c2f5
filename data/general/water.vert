#version 120
// The water surface: its texture coordinates run over the whole map (0..1),
// the waves repeat custom parameter 0's x times across it, and the
// projected position samples the refraction and reflection textures.
uniform mat4 worldViewProj;
uniform vec4 custom;
uniform float time;

varying vec2 mapUV;
varying vec2 waveUV0;
varying vec2 waveUV1;
varying vec4 projected;

void main() {
  gl_Position = worldViewProj * gl_Vertex;
  projected = gl_Position;
  mapUV = gl_MultiTexCoord0.xy;
  waveUV0 = mapUV * custom.x + vec2(time * 0.02, time * 0.01);
  waveUV1 = mapUV * custom.x * 0.7 - vec2(time * 0.013, time * 0.021);
}
