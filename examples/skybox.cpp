// A sky box from a DDS cube map, turned with a trackball (drag with the left button). The program first
// writes its own small cube map: six 16 x 16 faces of one colour each. With --check it reads the centre
// pixel, drags the trackball by posting mouse messages to its own window and reads the centre again: the
// two must be different faces of the cube map.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include "graphics/Image.h"
#include "graphics3d/Camera.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/GL.h"
#include "graphics3d/ParameterBuffer.h"
#include "graphics3d/ProgrammableShader.h"
#include "graphics3d/ShaderProgram.h"
#include "graphics3d/SkyModel.h"
#include "gui/Input.h"
#include "gui/OpenGL.h"
#include "gui/Window.h"
#include "input/MouseDispatcher.h"
#include "input3d/Navigator.h"
#include "input3d/TrackballController.h"
#include "io/SystemFile.h"
#include "io/TranslatorDDS.h"
#include "platform/Window.h"
#include "system/Signal.h"

using namespace korvane;
using object::Pointer;

namespace {

// +X, -X, +Y, -Y, +Z, -Z as red, green, blue.
constexpr uint8_t FaceColours[6][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                       {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
constexpr const char* FaceNames[6] = {"+x", "-x", "+y", "-y", "+z", "-z"};

// A DDS file: "DDS ", a 124-byte header, then each face's pixels, +X first.
void writeCubeMap(const std::filesystem::path& path) {
    uint8_t header[128] = {'D', 'D', 'S', ' '};
    // Header size; flags (caps, height, width, pixel format); height, width, row pitch; pixel format
    // (its size, RGB, 24 bits, red, green and blue masks); caps (complex); cube map with all six faces.
    const std::pair<int, uint32_t> fields[] = {
        {4, 124}, {8, 0x1007},    {12, 16},     {16, 16},    {20, 48},      {76, 32},     {80, 0x40},
        {88, 24}, {92, 0xFF0000}, {96, 0xFF00}, {100, 0xFF}, {108, 0x1008}, {112, 0xFE00}};
    for (const auto& [offset, value] : fields)
        std::memcpy(header + offset, &value, 4); // little-endian, as the format wants
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    for (const auto& colour : FaceColours)
        for (int pixel = 0; pixel < 16 * 16; ++pixel)
            file.put(char(colour[2])).put(char(colour[1])).put(char(colour[0]));
}

template <typename T> Pointer<T> make() {
    return Pointer<T>::adopt(new T);
}

// Closing the window ends the program.
class MainWindow : public gui::Window {
public:
    ~MainWindow() override { close(); }
    bool onClose() override {
        closed.set();
        return true;
    }
    system::Signal closed;
};

class SkyView : public gui::OpenGL {
public:
    SkyView(const gui::Rectangle& frame, const std::filesystem::path& cubeMap)
        : OpenGL(frame), cubeMap(cubeMap) {
        navigator->setController(trackball);
        mouse->addListener(trackball);
        mouse->dispatchResize({0, 0, frame.width, frame.height});
    }

    bool attach() override {
        if (!OpenGL::attach())
            return false;
        auto file = Pointer<io::SystemFile>::adopt(
            io::SystemFile::open(types::String(cubeMap.string().c_str()), io::File::Read));
        io::TranslatorDDS dds;
        io::InputStream& stream = file->getInputStream();
        // The creator takes over the chain of faces the reader returns, and releases it.
        auto texture = Pointer<graphics3d::CubeTexture>::adopt(
            graphics3d::createCubeTexture(dds.read(stream, uint32_t(stream.available())), 1));
        texture->setFilter(GL_NEAREST, GL_NEAREST);

        auto shader =
            Pointer<graphics3d::ProgrammableShader>::adopt(graphics3d::ProgrammableShader::create());
        shader->attach(Pointer<graphics3d::VertexProgram>::adopt(graphics3d::VertexProgram::create(
            "void main() { gl_TexCoord[0] = gl_Vertex; gl_Position = ftransform(); }")));
        shader->attach(Pointer<graphics3d::PixelProgram>::adopt(graphics3d::PixelProgram::create(
            "uniform samplerCube sky;\n"
            "void main() { gl_FragColor = textureCube(sky, gl_TexCoord[0].xyz); }")));
        shader->link();
        sky = Pointer<graphics3d::SkyModel>::adopt(new graphics3d::SkyModel(2, 50.0f, 1));
        sky->appearance.shader.set(shader);
        sky->appearance.textures[0].set(texture);
        parameters = Pointer<graphics3d::ParameterBuffer>::adopt(
            graphics3d::ParameterBuffer::create(sky->getParameters()));
        camera.near = 1.0f;
        camera.far = 200.0f;
        return true;
    }

    bool detach() override {
        if (getGraphicsContext())
            getGraphicsContext()->makeCurrent();
        parameters = nullptr;
        sky = nullptr;
        return OpenGL::detach();
    }

    // Mouse input reaches the view on the window thread; the trackball turns the camera.
    bool onMouseButton(const gui::Point& position, uint32_t code) override {
        mouse->dispatchMouseButton(position, code);
        dragged = dragged || code == gui::ButtonLeftUp;
        return moved();
    }
    bool onMouseMove(const gui::Point& position, uint32_t state) override {
        mouse->dispatchMouseMove(position, state);
        return moved();
    }

    void render() override {
        if (!sky)
            return;
        camera.apply();
        math::Matrix view = navigator->getMatrix();
        math::invert(view);
        parameters->set("modelview", view.data(), sizeof view.elements);
        sky->draw(parameters);
        // The first frame as it opens, then the first after a drag.
        if (readAfter || (readBefore && !dragged))
            return;
        glReadPixels(int(getFrame().width) / 2, int(getFrame().height) / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE,
                     dragged ? after : before);
        (dragged ? readAfter : readBefore) = true;
        (dragged ? turned : shown).set();
    }

    uint8_t before[3] = {}, after[3] = {};
    system::Signal shown, turned;

private:
    bool moved() {
        navigator->update(1.0f);
        return invalidate();
    }

    std::filesystem::path cubeMap;
    Pointer<input3d::TrackballController> trackball = make<input3d::TrackballController>();
    Pointer<input3d::Navigator> navigator = make<input3d::Navigator>();
    Pointer<input::MouseDispatcher> mouse = make<input::MouseDispatcher>();
    Pointer<graphics3d::SkyModel> sky;
    Pointer<graphics3d::ParameterBuffer> parameters;
    graphics3d::PerspectiveCamera camera;
    bool dragged = false, readBefore = false, readAfter = false;
};

// The face whose colour a pixel has, -1 for none.
int faceOf(const uint8_t* pixel) {
    for (int face = 0; face < 6; ++face)
        if (std::memcmp(pixel, FaceColours[face], 3) == 0)
            return face;
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc == 2 && std::strcmp(argv[1], "--check") == 0;
    const auto cubeMap = std::filesystem::temp_directory_path() / "korvane-example-sky.dds";
    writeCubeMap(cubeMap);

    auto window = Pointer<MainWindow>::adopt(new MainWindow);
    window->setTitle("Korvane sky box");
    window->setSize({320, 320});
    auto view = Pointer<SkyView>::adopt(new SkyView({0, 0, 320, 320}, cubeMap));
    window->addView(view);
    const bool opened = window->open();
    std::filesystem::remove(cubeMap); // read when the window opened
    if (!opened) {
        std::printf("the window cannot be opened (no display or no OpenGL)\n");
        return 1;
    }
    if (!check) {
        window->closed.wait();
        return 0;
    }
    view->shown.wait();
    // A drag from the centre to the right edge, as the window system would deliver it.
    using namespace platform;
    const WindowHandle handle = view->getHandle();
    postMessage(handle, WM_LBUTTONDOWN, MK_LBUTTON, makeLParam(160, 160));
    for (int x = 180; x <= 320; x += 20)
        postMessage(handle, WM_MOUSEMOVE, MK_LBUTTON, makeLParam(x, 160));
    postMessage(handle, WM_LBUTTONUP, 0, makeLParam(320, 160));
    view->turned.wait();
    window->close();

    const int first = faceOf(view->before), second = faceOf(view->after);
    std::printf("centre pixel %d %d %d (%s face), after the drag %d %d %d (%s face)\n", view->before[0],
                view->before[1], view->before[2], first < 0 ? "no" : FaceNames[first], view->after[0],
                view->after[1], view->after[2], second < 0 ? "no" : FaceNames[second]);
    return first == 5 && second >= 0 && second != first ? 0 : 1;
}
