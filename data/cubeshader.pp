#version 110
// Sphere fragment program: a coloured mirror. The cube map seen along the reflection, tinted by the
// material's diffuse colour, lit by light 0 (ambient, diffuse and a specular highlight).

uniform samplerCube environment;

varying vec3 reflection;
varying vec3 normal;
varying vec3 toLight;
varying vec3 toEye;

void main() {
    vec3 n = normalize(normal);
    vec3 l = normalize(toLight);
    vec3 e = normalize(toEye);
    float diffuse = max(dot(n, l), 0.0);
    float specular = 0.0;
    if (diffuse > 0.0)
        specular = pow(max(dot(n, normalize(l + e)), 0.0), gl_FrontMaterial.shininess);

    vec3 mirror = textureCube(environment, reflection).rgb;
    vec3 tint = 0.35 + 0.65 * gl_FrontMaterial.diffuse.rgb;
    vec3 light = gl_FrontLightProduct[0].ambient.rgb + gl_FrontLightProduct[0].diffuse.rgb * diffuse;
    vec3 colour = mirror * tint * (0.7 + 0.3 * diffuse) + light * 0.3 +
                  gl_FrontLightProduct[0].specular.rgb * specular;
    gl_FragColor = vec4(colour, 1.0);
}
