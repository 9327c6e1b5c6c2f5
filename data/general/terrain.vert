#version 120
// Terrain tiles: the map position (set 0), the light-map colour (set 1) and
// up to four terrain layers (sets 2..5: u, v and the atlas cell, 0 where the
// cell lacks the layer). The colour-map colour comes as the vertex colour.
uniform mat4 worldViewProj;
uniform mat4 world;

varying vec2 mapUV;
varying vec3 lightMap;
varying vec3 colourMap;
varying vec3 worldPos;
varying vec3 normal;
varying vec3 layerUV0;
varying vec3 layerUV1;
varying vec3 layerUV2;
varying vec3 layerUV3;

void main() {
  gl_Position = worldViewProj * gl_Vertex;
  worldPos = (world * gl_Vertex).xyz;
  normal = gl_Normal;
  colourMap = gl_Color.rgb;
  mapUV = gl_MultiTexCoord0.xy;
  lightMap = gl_MultiTexCoord1.rgb;
  layerUV0 = gl_MultiTexCoord2.xyz;
  layerUV1 = gl_MultiTexCoord3.xyz;
  layerUV2 = gl_MultiTexCoord4.xyz;
  layerUV3 = gl_MultiTexCoord5.xyz;
}
