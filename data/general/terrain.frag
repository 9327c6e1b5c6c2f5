#version 120
// Terrain tiles. The ground is the tile's four blend textures, repeated
// every two grid steps ("scale" repeats over the map): the blend map's red,
// green and blue weigh slots 1, 2 and 3 against slot 0, its alpha how much
// of them shows over bare earth. The terrain layers (LAYERS of them, ids
// ascending) lie over the ground with their textures' alpha. The light map
// and the colour map light the result; point lights add to it.
// BLEND_R, BLEND_G or BLEND_B 0 leave out the blend texture of a weight that
// is zero wherever the program draws: the same picture, fewer samples.
#ifndef BLEND_R
#define BLEND_R 1
#endif
#ifndef BLEND_G
#define BLEND_G 1
#endif
#ifndef BLEND_B
#define BLEND_B 1
#endif
// POINT_LIGHTS 0 where no point light reaches the tile.
#ifndef POINT_LIGHTS
#define POINT_LIGHTS 1
#endif
uniform sampler2D blendMap;
uniform sampler2D blend0;
uniform sampler2D blend1;
uniform sampler2D blend2;
uniform sampler2D blend3;
#if LAYERS > 0
uniform sampler2D layer0;
#endif
#if LAYERS > 1
uniform sampler2D layer1;
#endif
#if LAYERS > 2
uniform sampler2D layer2;
#endif
#if LAYERS > 3
uniform sampler2D layer3;
#endif
uniform float scale;
uniform vec4 lightPosition[3];
uniform vec4 lightDiffuse[3];
uniform vec4 lightAttenuation[3];
uniform float lightCount;

varying vec2 mapUV;
varying vec3 lightMap;
varying vec3 colourMap;
varying vec3 worldPos;
varying vec3 normal;
varying vec3 layerUV0;
varying vec3 layerUV1;
varying vec3 layerUV2;
varying vec3 layerUV3;

vec3 over(vec3 colour, sampler2D layer, vec3 uvw) {
  vec4 t = texture2D(layer, uvw.xy);
  return mix(colour, t.rgb, t.a * step(0.5, uvw.z));
}

vec3 pointLights(vec3 n) {
  vec3 sum = vec3(0.0);
  for (int i = 0; i < 3; ++i) {
    if (float(i) >= lightCount) break;
    if (lightPosition[i].w < 0.5) continue;  // the sun is in the light map
    vec3 d = lightPosition[i].xyz - worldPos;
    float dist = length(d);
    vec4 a = lightAttenuation[i];
    float fade = dist < a.x ? 1.0 / (a.y + a.z * dist + a.w * dist * dist) : 0.0;
    sum += lightDiffuse[i].rgb * max(dot(n, d / dist), 0.0) * fade;
  }
  return sum;
}

void main() {
  vec4 weights = texture2D(blendMap, mapUV);
  vec2 tiled = mapUV * scale;
  vec3 ground = texture2D(blend0, tiled).rgb;
#if BLEND_R
  ground = mix(ground, texture2D(blend1, tiled).rgb, weights.r);
#endif
#if BLEND_G
  ground = mix(ground, texture2D(blend2, tiled).rgb, weights.g);
#endif
#if BLEND_B
  ground = mix(ground, texture2D(blend3, tiled).rgb, weights.b);
#endif
  vec3 colour = mix(vec3(0.42, 0.37, 0.30), ground, weights.a);
#if LAYERS > 0
  colour = over(colour, layer0, layerUV0);
#endif
#if LAYERS > 1
  colour = over(colour, layer1, layerUV1);
#endif
#if LAYERS > 2
  colour = over(colour, layer2, layerUV2);
#endif
#if LAYERS > 3
  colour = over(colour, layer3, layerUV3);
#endif
  vec3 light = lightMap * 1.25;
#if POINT_LIGHTS
  light += pointLights(normalize(normal));
#endif
  gl_FragColor = vec4(colour * colourMap * light, 1.0);
}
