#version 120
// Unit parts: the lit texture tinted by the unit's colour (custom parameter
// 0, its fourth value the opacity while the unit fades), brightened by the
// highlight (custom parameter 1's fourth value), with EFFECTS effect
// textures scrolled over it where their masks allow.
uniform sampler2D diffuseMap;
uniform vec4 tint;
uniform vec4 highlight;
#if EFFECTS > 0
// custom_N: scroll speed in u and v per second, flashes per second (0:
// steady), 1.
uniform float time;
uniform sampler2D effectMap0;
uniform sampler2D maskMap0;
uniform vec4 custom_0;
#endif
#if EFFECTS > 1
uniform sampler2D effectMap1;
uniform sampler2D maskMap1;
uniform vec4 custom_1;
#endif

varying vec2 uv;
varying vec3 lighting;

#if EFFECTS > 0
vec3 effect(sampler2D map, sampler2D mask, vec4 p) {
  float flash = p.z > 0.0 ? 0.5 + 0.5 * sin(time * p.z * 6.2831853) : 1.0;
  return texture2D(map, uv + p.xy * time).rgb * texture2D(mask, uv).r * flash;
}
#endif

void main() {
  vec4 t = texture2D(diffuseMap, uv);
  vec3 c = t.rgb * lighting * tint.rgb;
#if EFFECTS > 0
  c += effect(effectMap0, maskMap0, custom_0);
#endif
#if EFFECTS > 1
  c += effect(effectMap1, maskMap1, custom_1);
#endif
  c += vec3(0.1 * highlight.w);
  gl_FragColor = vec4(c, t.a * tint.w);
}
