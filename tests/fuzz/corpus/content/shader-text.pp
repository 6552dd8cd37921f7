uniform samplerCube cube;
varying vec3 reflected;
void main() { gl_FragColor = textureCube(cube, reflected); }
