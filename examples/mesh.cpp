// A cube through the rendering layer: a mesh built into vertex and index buffers, drawn with a GLSL
// program under a perspective camera and a point light at the eye. With --check the program reads the
// centre pixel of the first frame and exits with 0 when it shows the cube, lit red by the program.
#include <cstdio>
#include <cstring>

#include "graphics3d/Appearance.h"
#include "graphics3d/Camera.h"
#include "graphics3d/GL.h"
#include "graphics3d/Light.h"
#include "graphics3d/Material.h"
#include "graphics3d/Mesh.h"
#include "graphics3d/MeshBuilder.h"
#include "graphics3d/ProgrammableShader.h"
#include "graphics3d/ShaderProgram.h"
#include "gui/OpenGL.h"
#include "gui/Window.h"
#include "object/Pointer.h"
#include "system/Signal.h"

using namespace korvane;
using object::Pointer;

namespace {

const char* VertexSource = R"(
varying vec3 normal;
varying vec3 toLight;
void main() {
    vec4 position = gl_ModelViewMatrix * gl_Vertex;
    normal = gl_NormalMatrix * gl_Normal;
    toLight = gl_LightSource[0].position.xyz - position.xyz;
    gl_Position = ftransform();
})";

const char* PixelSource = R"(
varying vec3 normal;
varying vec3 toLight;
void main() {
    float lambert = max(dot(normalize(normal), normalize(toLight)), 0.0);
    gl_FragColor = vec4(gl_FrontLightProduct[0].diffuse.rgb * lambert, 1.0);
})";

// Each face: its normal and two edge directions whose cross product is the normal (counter-clockwise
// seen from outside).
constexpr float Faces[6][3][3] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                                  {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                                  {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}};

class CubeView : public gui::OpenGL {
public:
    explicit CubeView(const gui::Rectangle& frame) : OpenGL(frame) {}

    // The window thread attaches the view with its GL context current: build the GL objects here.
    bool attach() override {
        if (!OpenGL::attach())
            return false;
        auto shader =
            Pointer<graphics3d::ProgrammableShader>::adopt(graphics3d::ProgrammableShader::create());
        shader->attach(
            Pointer<graphics3d::VertexProgram>::adopt(graphics3d::VertexProgram::create(VertexSource)));
        shader->attach(
            Pointer<graphics3d::PixelProgram>::adopt(graphics3d::PixelProgram::create(PixelSource)));
        shader->link();
        auto material = Pointer<graphics3d::ColourMaterial>::adopt(new graphics3d::ColourMaterial);
        material->diffuse[0] = 1.0f, material->diffuse[1] = 0.0f, material->diffuse[2] = 0.0f;
        auto appearance = Pointer<graphics3d::Appearance>::adopt(new graphics3d::Appearance);
        appearance->shader.set(shader);
        appearance->material.set(material);

        graphics3d::MeshBuilder builder;
        builder.setAttributes(graphics3d::attribute::Position | graphics3d::attribute::Normal);
        for (uint32_t face = 0; face < 6; ++face) {
            const auto& [n, u, v] = Faces[face];
            builder.setNormal(n[0], n[1], n[2]);
            for (const auto& [su, sv] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
                builder.setPosition(n[0] + su * u[0] + sv * v[0], n[1] + su * u[1] + sv * v[1],
                                    n[2] + su * u[2] + sv * v[2]);
                builder.addVertex();
            }
            for (uint32_t corner : {0, 1, 2, 0, 2, 3})
                builder.addIndex(face * 4 + corner);
        }
        builder.setAppearance(appearance);
        cube = Pointer<graphics3d::Mesh>::adopt(builder.build());

        light = Pointer<graphics3d::PointLight>::adopt(new graphics3d::PointLight);
        camera.near = 1.0f;
        camera.far = 100.0f;
        camera.focal = 1.0f;
        const float window[4] = {-0.5f, -0.5f, 1.0f, 1.0f};
        std::memcpy(camera.window, window, sizeof window);
        return cube != nullptr;
    }

    // GL objects go while their context is current.
    bool detach() override {
        if (getGraphicsContext())
            getGraphicsContext()->makeCurrent();
        cube = nullptr;
        light = nullptr;
        return OpenGL::detach();
    }

    void render() override {
        if (!cube)
            return;
        graphics3d::Context& context = *getGraphicsContext();
        glClearColor(0.0f, 0.0f, 0.2f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_CULL_FACE);
        camera.apply();
        context.matrixStack.setMode(GL_MODELVIEW);
        glLoadIdentity();
        context.lightStack.lights[0] = light;
        glEnable(GL_LIGHT0);
        light->apply(0);
        glTranslatef(0.0f, 0.0f, -5.0f);
        glRotatef(30.0f, 1.0f, 1.0f, 0.0f);
        cube->draw();
        glReadPixels(160, 160, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
        drawn.set();
    }

    unsigned char pixel[3] = {};
    system::Signal drawn;

private:
    Pointer<graphics3d::Mesh> cube;
    Pointer<graphics3d::PointLight> light;
    graphics3d::PerspectiveCamera camera;
};

class MainWindow : public gui::Window {
public:
    ~MainWindow() override { close(); }
    bool onClose() override {
        closed.set();
        return true;
    }
    system::Signal closed;
};

} // namespace

int main(int argc, char** argv) {
    const bool check = argc == 2 && std::strcmp(argv[1], "--check") == 0;
    auto window = Pointer<MainWindow>::adopt(new MainWindow);
    window->setTitle("Korvane mesh");
    window->setSize({320, 320});
    auto view = Pointer<CubeView>::adopt(new CubeView({0, 0, 320, 320}));
    window->addView(view);
    if (!window->open()) {
        std::printf("the window cannot be opened (no display or no OpenGL)\n");
        return 1;
    }
    if (!check) {
        window->closed.wait();
        return 0;
    }
    view->drawn.wait();
    window->close();
    const unsigned char* p = view->pixel;
    std::printf("centre pixel %d %d %d\n", p[0], p[1], p[2]);
    return p[0] >= 100 && p[1] == 0 && p[2] == 0 ? 0 : 1;
}
