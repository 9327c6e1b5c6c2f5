#version 120
// Statics (and units): the lit texture; custom parameter 0's fourth value
// is the opacity, which the see-through fading lowers.
uniform sampler2D diffuseMap;
uniform vec4 custom;

varying vec2 uv;
varying vec3 lighting;

void main() {
  vec4 t = texture2D(diffuseMap, uv);
  gl_FragColor = vec4(t.rgb * lighting, t.a * custom.w);
}
