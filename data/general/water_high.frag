#version 120
// High-quality water: the refraction (the scene under the surface) and the
// reflection mixed by the view angle, both bent by the waves; the depth
// alpha map makes the shallows clear.
uniform sampler2D waveMap;
uniform sampler2D reflectionMap;
uniform sampler2D refractionMap;
uniform sampler2D alphaMap;

varying vec2 mapUV;
varying vec2 waveUV0;
varying vec2 waveUV1;
varying vec4 projected;

void main() {
  vec3 wave = texture2D(waveMap, waveUV0).rgb + texture2D(waveMap, waveUV1).rgb - 1.0;
  vec2 screen = projected.xy / projected.w * 0.5 + 0.5;
  vec2 bend = wave.xy * 0.015;
  vec3 refraction = texture2D(refractionMap, screen + bend).rgb;
  vec3 reflection = texture2D(reflectionMap, screen + bend).rgb;
  float facing = clamp(abs(wave.z) * 0.6, 0.0, 1.0);
  vec3 colour = mix(reflection, refraction, 0.35 + 0.4 * facing) * vec3(0.6, 0.8, 1.0);
  colour = mix(colour, vec3(0.10, 0.26, 0.40), 0.5);
  float depth = texture2D(alphaMap, mapUV).a;
  gl_FragColor = vec4(colour + vec3(0.08) * wave.y, clamp(depth * 1.7 + 0.05, 0.0, 0.95));
}
