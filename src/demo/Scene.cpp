#include "demo/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>
#include <string_view>

#include "demo/DataFiles.h"
#include "demo/SkyShader.h"
#include "demo/SphereRenderer.h"
#include "graphics/Image.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/GL.h"
#include "graphics3d/GeometryModel.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/Material.h"
#include "graphics3d/ProgrammableShader.h"
#include "graphics3d/ShaderProgram.h"
#include "graphics3d/SkyModel.h"
#include "io/Content.h"
#include "io/IOException.h"
#include "io/SystemFile.h"
#include "io/TranslatorDDS.h"
#include "math/Random.h"
#include "object/Pointer.h"

namespace korvane::demo {

Scene scene;

namespace {

constexpr float SpinPerMillisecond = 0.00025f;

} // namespace

namespace {

using graphics3d::ColourMaterial;
using object::Pointer;
using types::String;

constexpr const char* SkyFile = "data/stpeters_cross.dds";
constexpr const char* VertexProgramFile = "data/cubeshader.vp";
constexpr const char* PixelProgramFile = "data/cubeshader.pp";

void setColour(float (&colour)[4], float red, float green, float blue) {
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
    colour[3] = 0.0f;
}

// Runs a step that reads the data file `path`; a failure keeps its exception class and says which file it
// was: a missing file names itself after the system's message, others put the file first.
template <typename Step> auto fromDataFile(const char* path, Step step) {
    const String name = findDataFile(path);
    try {
        return step();
    } catch (const io::FileNotFoundException& exception) {
        throw io::FileNotFoundException(String::concat(exception.getMessage(), String::concat(" (", name)) +
                                        String(")"));
    } catch (const io::TranslatorException& exception) {
        throw io::TranslatorFormatException(name + String(" is not a DDS cube map that can be read (") +
                                            exception.getMessage() + String(")"));
    } catch (const io::IOException& exception) {
        // The file layer's message may end with the path already: say it once.
        std::string_view reason = exception.getMessage().view();
        const std::string suffix = std::string(" (") + path + ")";
        if (reason.ends_with(suffix))
            reason.remove_suffix(suffix.size());
        throw io::IOException(name + String(" cannot be read (") +
                              String(reason.data(), uint32_t(reason.size())) + String(")"));
    } catch (const graphics3d::ShaderCompilerException& exception) {
        throw graphics3d::ShaderCompilerException(name + String(" does not compile: ") +
                                                  exception.getMessage());
    }
}

Pointer<io::SystemFile> openData(const char* path) {
    return Pointer<io::SystemFile>::adopt(io::SystemFile::open(findDataFile(path), io::File::Read));
}

// The sky cube map: six faces of equal square size, OpenGL generating the mipmaps.
Pointer<graphics3d::CubeTexture> loadSkyTexture() {
    auto images = fromDataFile(SkyFile, [] {
        Pointer<io::SystemFile> file = openData(SkyFile);
        io::TranslatorDDS translator;
        io::InputStream& stream = file->getInputStream();
        return Pointer<graphics::Image>::adopt(translator.read(stream, uint32_t(stream.available())));
    });
    int faces = 0;
    for (graphics::Image* image = images.get(); image && faces < 6; image = image->getNext(), ++faces)
        if (image->getWidth() != images->getWidth() || image->getHeight() != images->getWidth())
            break;
    if (faces < 6)
        throw graphics3d::TextureException(
            String::concat(SkyFile, " is not a cube map with six square faces of one size"));
    try {
        return Pointer<graphics3d::CubeTexture>::adopt(graphics3d::createCubeTexture(images.detach(), -2));
    } catch (const graphics3d::TypeException& exception) {
        throw graphics3d::TypeException(String::concat(SkyFile, " holds faces in a pixel format that cube "
                                                                "textures do not take (") +
                                        exception.getMessage() + String(")"));
    }
}

template <typename Program> Pointer<Program> loadProgram(const char* path) {
    return fromDataFile(path, [path] {
        Pointer<io::SystemFile> file = openData(path);
        io::Content content;
        content.load(file->getInputStream());
        return Pointer<Program>::adopt(Program::create(content.getData() ? content.getData() : ""));
    });
}

void buildSky() {
    scene.sky = new graphics3d::SkyModel(2, 1000.0f, 20);
    Pointer<graphics3d::CubeTexture> texture = loadSkyTexture();
    texture->setFilter(GL_NEAREST, GL_LINEAR);

    auto material = Pointer<ColourMaterial>::adopt(new ColourMaterial);
    setColour(material->ambient, 1.0f, 1.0f, 1.0f);
    setColour(material->diffuse, 0.8f, 0.8f, 0.9f);
    setColour(material->specular, 0.8f, 0.8f, 0.9f);
    setColour(material->emission, 0.0f, 0.0f, 0.0f);

    graphics3d::Appearance& appearance = scene.sky->appearance;
    appearance.material.set(material);
    appearance.shader.set(Pointer<SkyShader>::adopt(new SkyShader));
    appearance.textures[0].set(texture);
}

void buildSpheres(const Pointer<graphics3d::ProgrammableShader>& program) {
    math::Uniform random(0.0f, 1.0f);
    random.setState(0);
    for (int i = 0; i < Scene::SphereCount; ++i) {
        const float radius = random.next() * 60.0f + 50.0f;
        auto* model = new graphics3d::GeometryModel(0, radius, 75);
        scene.sphereModels[i] = model;
        scene.sphereRadii[i] = radius;

        const float blue = random.next(), green = random.next(), red = random.next();
        auto material = Pointer<ColourMaterial>::adopt(new ColourMaterial);
        setColour(material->ambient, 0.1f, 0.1f, 0.1f);
        setColour(material->diffuse, std::min(red, 1.0f), std::min(green, 1.0f), std::min(blue, 1.0f));
        setColour(material->specular, 1.0f, 1.0f, 1.0f);
        setColour(material->emission, 0.0f, 0.0f, 0.0f);
        material->shininess = 30.0f;

        graphics3d::Appearance& appearance = model->appearance;
        appearance.material.set(material);
        appearance.textures[0].set(scene.renderers[i]->getTexture());
        appearance.shader.set(program);

        math::Matrix& transform = scene.sphereTransforms[i] = math::Matrix();
        const float z = random.next(), y = random.next(), x = random.next();
        transform.elements[3] = x * 400.0f - 200.0f;
        transform.elements[7] = y * 400.0f - 200.0f;
        transform.elements[11] = z * 400.0f - 200.0f;
        scene.placedTransforms[i] = transform;

        scene.sphereParameters[i] = graphics3d::ParameterBuffer::create(model->getParameters());
        for (float& axis : scene.rotationAxes[i])
            axis = random.next();

        for (int level = 1; level < Scene::DetailCount; ++level) {
            auto* coarser = new graphics3d::GeometryModel(0, radius, Scene::SphereSegments[level]);
            scene.coarserSpheres[i][level - 1] = coarser;
            coarser->appearance.material.set(appearance.material);
            coarser->appearance.textures[0].set(appearance.textures[0]);
            coarser->appearance.shader.set(appearance.shader);
        }
    }
}

void build() {
    auto* light = scene.light = new graphics3d::PointLight;
    setColour(light->ambient, 0.3f, 0.3f, 0.3f);
    setColour(light->diffuse, 0.7f, 0.7f, 0.7f);
    setColour(light->specular, 1.0f, 1.0f, 1.0f);
    light->position[0] = 300.0f;
    light->position[1] = 200.0f;
    light->position[2] = 400.0f;
    light->constantAttenuation = 1.0f;
    light->linearAttenuation = 0.0f;
    light->quadraticAttenuation = 0.0f;

    buildSky();
    scene.skyParameters = graphics3d::ParameterBuffer::create(scene.sky->getParameters());

    for (int i = 0; i < Scene::SphereCount; ++i) {
        auto texture = Pointer<graphics3d::CubeTexture>::adopt(
            graphics3d::createCubeTexture(graphics::PixelFormat::RGB8, 256, 256, -2));
        scene.renderers[i] = new SphereRenderer(texture.get(), i);
    }
    scene.skyFaces = graphics3d::createCubeTexture(graphics::PixelFormat::RGB8, 256, 256, -1);

    auto program = Pointer<graphics3d::ProgrammableShader>::adopt(graphics3d::ProgrammableShader::create());
    program->attach(loadProgram<graphics3d::VertexProgram>(VertexProgramFile).get());
    program->attach(loadProgram<graphics3d::PixelProgram>(PixelProgramFile).get());
    try {
        program->link();
    } catch (const graphics3d::ShaderLinkerException& exception) {
        throw graphics3d::ShaderLinkerException(String::concat(VertexProgramFile, " and ") +
                                                String(PixelProgramFile) + String(" do not link: ") +
                                                exception.getMessage());
    }

    buildSpheres(program);
}

template <typename T> void drop(T*& object) {
    if (object)
        object->release();
    object = nullptr;
}

} // namespace

void buildScene() {
    releaseScene();
    try {
        build();
    } catch (...) {
        releaseScene();
        throw;
    }
}

void orderFrontToBack(const math::Matrix& view, int (&order)[Scene::SphereCount]) {
    float nearest[Scene::SphereCount];
    for (int i = 0; i < Scene::SphereCount; ++i) {
        order[i] = i;
        // Eye space looks down -Z: the distance to the sphere's nearest point along the view direction,
        // from the third row of the view applied to the sphere's centre.
        const math::Vector3<float> centre = scene.sphereTransforms[i].getTranslation();
        const float* row = view.elements + 8;
        nearest[i] =
            -(row[0] * centre.x + row[1] * centre.y + row[2] * centre.z + row[3]) - scene.sphereRadii[i];
    }
    std::stable_sort(std::begin(order), std::end(order),
                     [&](int a, int b) { return nearest[a] < nearest[b]; });
}

int sphereDetailFor(float pixelRadius) {
    // Within a tenth of a pixel of the true outline: invisible once the outline is rasterised.
    constexpr float tolerance = 0.1f;
    if (!(pixelRadius >= 0.0f) || !std::isfinite(pixelRadius))
        return 0;
    int level = 0;
    for (int next = 1; next < Scene::DetailCount; ++next) {
        const float gap =
            pixelRadius * (1.0f - std::cos(std::numbers::pi_v<float> / float(Scene::SphereSegments[next])));
        if (gap > tolerance)
            break;
        level = next;
    }
    return level;
}

float sphereRadiusInFace(const math::Vector3<float>& centre, float radius, float size) {
    const float distance = std::sqrt(centre.x * centre.x + centre.y * centre.y + centre.z * centre.z);
    if (!(distance > radius) || !(centre.z < 0.0f))
        return std::numeric_limits<float>::infinity();
    // The outline is the cone from the eye with half angle `spread` about the centre's direction, which
    // lies `offAxis` from the face's axis: along the radius it spans tan(offAxis +- spread) in the image.
    const float spread = std::asin(radius / distance);
    const float offAxis = std::acos(std::min(-centre.z / distance, 1.0f));
    if (offAxis + spread >= std::numbers::pi_v<float> / 2 - 0.01f)
        return std::numeric_limits<float>::infinity();
    return size / 4.0f * (std::tan(offAxis + spread) - std::tan(offAxis - spread));
}

void spinScene(float elapsedMilliseconds) {
    // Turning the last frame's transforms again would pile up the rounding of every turn, and the
    // spheres would shrink and drift; each frame starts from where they were placed instead. The angle
    // is kept within a turn in double precision, so that it stays as exact after hours as at the start.
    const float angle = elapsedMilliseconds * SpinPerMillisecond;
    scene.spinAngle = std::remainder(scene.spinAngle + double(angle), 2.0 * std::numbers::pi);
    for (int i = 0; i < Scene::SphereCount; ++i) {
        const float* axis = scene.rotationAxes[i];
        scene.sphereTransforms[i] = scene.placedTransforms[i];
        math::rotate(scene.sphereTransforms[i], float(scene.spinAngle), {axis[0], axis[1], axis[2]});
    }
}

void releaseScene() {
    for (int i = 0; i < Scene::SphereCount; ++i) {
        drop(scene.renderers[i]);
        drop(scene.sphereModels[i]);
        for (graphics3d::GeometryModel*& coarser : scene.coarserSpheres[i])
            drop(coarser);
        drop(scene.sphereParameters[i]);
        scene.sphereTransforms[i] = scene.placedTransforms[i] = math::Matrix();
        scene.sphereRadii[i] = 0.0f;
        std::fill(std::begin(scene.rotationAxes[i]), std::end(scene.rotationAxes[i]), 0.0f);
    }
    drop(scene.sky);
    drop(scene.skyParameters);
    drop(scene.skyFaces);
    std::fill(std::begin(scene.skyFaceReady), std::end(scene.skyFaceReady), false);
    drop(scene.light);
    scene.spinAngle = 0.0;
}

} // namespace korvane::demo
