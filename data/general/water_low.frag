#version 120
// Low-quality water: a wavy blue surface, clear in the shallows.
uniform sampler2D waveMap;
uniform sampler2D alphaMap;

varying vec2 mapUV;
varying vec2 waveUV0;
varying vec2 waveUV1;
varying vec4 projected;

void main() {
  vec3 wave = texture2D(waveMap, waveUV0).rgb + texture2D(waveMap, waveUV1).rgb - 1.0;
  vec3 colour = vec3(0.14, 0.32, 0.45) + vec3(0.12, 0.14, 0.12) * (wave.x + wave.y);
  float depth = texture2D(alphaMap, mapUV).a;
  gl_FragColor = vec4(colour, clamp(depth * 1.6 + 0.1, 0.0, 0.9));
}
