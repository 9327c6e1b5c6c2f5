#version 120
// The texture lit by the effect's own glow colour and faded by its
// opacity; both animated by the effect files ("EMISSIVE_RBG", "OPACITY").
uniform sampler2D diffuseMap;
uniform vec3 EMISSIVE_RBG;
uniform float OPACITY;

void main() {
  vec4 texel = texture2D(diffuseMap, gl_TexCoord[0].st);
  gl_FragColor = vec4(texel.rgb * (0.3 + EMISSIVE_RBG), texel.a * OPACITY);
}
