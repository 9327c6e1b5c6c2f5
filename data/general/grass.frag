#version 120
uniform sampler2D blades;
varying vec2 uv;

void main() { gl_FragColor = texture2D(blades, uv) * gl_Color; }
