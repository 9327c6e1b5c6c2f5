#version 120
// Statics (and units): their texture lit by the ambient light and the
// nearest lights (directional and point), with the colours of the pass.
uniform mat4 worldViewProj;
uniform mat4 world;
uniform mat4 worldInverseTranspose;
uniform vec4 ambient;
uniform vec4 surfaceAmbient;
uniform vec4 surfaceDiffuse;
uniform vec4 selfIllumination;
uniform vec4 lightPosition[3];
uniform vec4 lightDiffuse[3];
uniform vec4 lightAttenuation[3];

varying vec2 uv;
varying vec3 lighting;

void main() {
  vec3 position = (world * gl_Vertex).xyz;
  vec3 n = normalize((worldInverseTranspose * vec4(gl_Normal, 0.0)).xyz);
  vec3 lit = ambient.rgb * surfaceAmbient.rgb + selfIllumination.rgb;
  for (int i = 0; i < 3; ++i) {
    vec3 toLight = lightPosition[i].xyz;
    float fade = 1.0;
    if (lightPosition[i].w > 0.5) {
      toLight -= position;
      float dist = length(toLight);
      vec4 a = lightAttenuation[i];
      fade = dist < a.x ? 1.0 / (a.y + a.z * dist + a.w * dist * dist) : 0.0;
    }
    lit += lightDiffuse[i].rgb * surfaceDiffuse.rgb * max(dot(n, normalize(toLight)), 0.0) * fade;
  }
  lighting = lit;
  uv = gl_MultiTexCoord0.xy;
  gl_Position = worldViewProj * gl_Vertex;
}
