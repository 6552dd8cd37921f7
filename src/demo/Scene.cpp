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
#include "graphics3d/Context.h"
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
#include "io/TranslatorRegistry.h"
#include "math/Random.h"
#include "math/Vector.h"
#include "object/Pointer.h"

namespace korvane::demo {

namespace {

constexpr float SpinPerMillisecond = 0.00025f;

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
        // The reader registry's message starts with the file's name already: say it once.
        std::string_view reason = exception.getMessage().view();
        const std::string prefix = std::string(name.view()) + ": ";
        if (reason.starts_with(prefix))
            reason.remove_prefix(prefix.size());
        throw io::TranslatorFormatException(name + String(" is not a DDS cube map that can be read (") +
                                            String(reason.data(), uint32_t(reason.size())) + String(")"));
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
        auto readers = Pointer<io::TranslatorRegistry>::adopt(io::TranslatorRegistry::createStandard());
        return Pointer<graphics::Image>::adopt(readers->read(*file, findDataFile(SkyFile)));
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

Pointer<graphics3d::SkyModel> buildSky() {
    auto sky = Pointer<graphics3d::SkyModel>::adopt(new graphics3d::SkyModel(2, 1000.0f, 20));
    Pointer<graphics3d::CubeTexture> texture = loadSkyTexture();
    texture->setFilter(GL_NEAREST, GL_LINEAR);

    auto material = Pointer<ColourMaterial>::adopt(new ColourMaterial);
    setColour(material->ambient, 1.0f, 1.0f, 1.0f);
    setColour(material->diffuse, 0.8f, 0.8f, 0.9f);
    setColour(material->specular, 0.8f, 0.8f, 0.9f);
    setColour(material->emission, 0.0f, 0.0f, 0.0f);

    graphics3d::Appearance& appearance = sky->appearance;
    appearance.material.set(material);
    appearance.shader.set(Pointer<SkyShader>::adopt(new SkyShader));
    appearance.textures[0].set(texture);
    return sky;
}

void buildSphere(Sphere& sphere, const Pointer<graphics3d::ProgrammableShader>& program) {
    sphere.model =
        Pointer<graphics3d::GeometryModel>::adopt(new graphics3d::GeometryModel(0, sphere.radius, 75));

    auto material = Pointer<ColourMaterial>::adopt(new ColourMaterial);
    setColour(material->ambient, 0.1f, 0.1f, 0.1f);
    setColour(material->diffuse, std::min(sphere.colour[0], 1.0f), std::min(sphere.colour[1], 1.0f),
              std::min(sphere.colour[2], 1.0f));
    setColour(material->specular, 1.0f, 1.0f, 1.0f);
    setColour(material->emission, 0.0f, 0.0f, 0.0f);
    material->shininess = 30.0f;

    graphics3d::Appearance& appearance = sphere.model->appearance;
    appearance.material.set(material);
    appearance.textures[0].set(sphere.renderer->getTexture());
    appearance.shader.set(program);

    sphere.placed = math::Matrix();
    sphere.placed.setTranslation(sphere.position);
    sphere.transform = sphere.placed;
    sphere.parameters = Pointer<graphics3d::ParameterBuffer>::adopt(
        graphics3d::ParameterBuffer::create(sphere.model->getParameters()));

    for (int level = 1; level < DetailCount; ++level) {
        auto coarser = Pointer<graphics3d::GeometryModel>::adopt(
            new graphics3d::GeometryModel(0, sphere.radius, SphereSegments[level]));
        coarser->appearance.material.set(appearance.material);
        coarser->appearance.textures[0].set(appearance.textures[0]);
        coarser->appearance.shader.set(appearance.shader);
        sphere.coarser[level - 1] = coarser;
    }
}

// Makes a crowd of more than SphereCount spheres smaller and draws it in (see generateSpheres).
void fitCrowd(std::vector<SphereLook>& looks) {
    const size_t count = looks.size();
    const float size = std::sqrt(float(SphereCount) / float(count));
    std::vector<float> radii(count);
    float reach = 0.0f;
    for (size_t i = 0; i < count; ++i) {
        float nearest = std::numeric_limits<float>::infinity();
        for (size_t j = 0; j < count; ++j)
            if (j != i)
                nearest = std::min(nearest, math::length(looks[j].position - looks[i].position));
        radii[i] = std::min(looks[i].radius * size, 0.45f * nearest);
        reach = std::max(reach, math::length(looks[i].position) + radii[i]);
    }
    const float scale = reach > CrowdReach ? CrowdReach / reach : 1.0f;
    for (size_t i = 0; i < count; ++i) {
        looks[i].radius = radii[i] * scale;
        looks[i].position = looks[i].position * scale;
    }
}

// The generator's draws for `count` spheres, before a crowd is fitted.
std::vector<SphereLook> drawSpheres(int count) {
    math::Uniform random(0.0f, 1.0f);
    random.setState(0);
    std::vector<SphereLook> looks(size_t(std::max(count, 0)));
    for (SphereLook& look : looks) {
        look.radius = random.next() * 60.0f + 50.0f;
        for (int c = 2; c >= 0; --c)
            look.colour[c] = random.next();
        const float z = random.next(), y = random.next(), x = random.next();
        look.position = {x * 400.0f - 200.0f, y * 400.0f - 200.0f, z * 400.0f - 200.0f};
        for (float& axis : look.axis)
            axis = random.next();
    }
    return looks;
}

} // namespace

std::vector<SphereLook> Scene::generateSpheres(int count) {
    std::vector<SphereLook> looks = drawSpheres(count);
    if (count > SphereCount)
        fitCrowd(looks);
    return looks;
}

int Scene::cubeSizeFor(int count) {
    if (count <= SphereCount)
        return CubeSize;
    // The sphere the fitting shrank least sets the size, so that no sphere's reflection is coarser on
    // screen than it would be at its drawn size with CubeSize faces.
    const std::vector<SphereLook> drawn = drawSpheres(count), fitted = generateSpheres(count);
    float scale = 0.0f;
    for (size_t i = 0; i < drawn.size(); ++i)
        scale = std::max(scale, fitted[i].radius / drawn[i].radius);
    // The nearest power of two on a log scale (textures are made with power-of-two faces), at least 32.
    const int exponent = int(std::lround(std::log2(float(CubeSize) * scale)));
    return std::clamp(1 << std::clamp(exponent, 0, 30), 32, CubeSize);
}

void Scene::build(int sphereCount) {
    release();
    try {
        auto point = Pointer<graphics3d::PointLight>::adopt(new graphics3d::PointLight);
        setColour(point->ambient, 0.3f, 0.3f, 0.3f);
        setColour(point->diffuse, 0.7f, 0.7f, 0.7f);
        setColour(point->specular, 1.0f, 1.0f, 1.0f);
        point->position[0] = 300.0f;
        point->position[1] = 200.0f;
        point->position[2] = 400.0f;
        point->constantAttenuation = 1.0f;
        point->linearAttenuation = 0.0f;
        point->quadraticAttenuation = 0.0f;
        light = point;

        sky = buildSky();
        skyParameters = Pointer<graphics3d::ParameterBuffer>::adopt(
            graphics3d::ParameterBuffer::create(sky->getParameters()));

        const std::vector<SphereLook> looks = generateSpheres(sphereCount);
        const int faceSize = cubeSizeFor(sphereCount);
        spheres.resize(looks.size());
        for (size_t i = 0; i < looks.size(); ++i) {
            static_cast<SphereLook&>(spheres[i]) = looks[i];
            auto texture = Pointer<graphics3d::CubeTexture>::adopt(
                graphics3d::createCubeTexture(graphics::PixelFormat::RGB8, faceSize, faceSize, -2));
            spheres[i].renderer =
                Pointer<SphereRenderer>::adopt(new SphereRenderer(*this, texture.get(), int32_t(i)));
        }
        skyFaces = Pointer<graphics3d::CubeTexture>::adopt(
            graphics3d::createCubeTexture(graphics::PixelFormat::RGB8, faceSize, faceSize, -1));

        auto program =
            Pointer<graphics3d::ProgrammableShader>::adopt(graphics3d::ProgrammableShader::create());
        program->attach(loadProgram<graphics3d::VertexProgram>(VertexProgramFile).get());
        program->attach(loadProgram<graphics3d::PixelProgram>(PixelProgramFile).get());
        try {
            program->link();
        } catch (const graphics3d::ShaderLinkerException& exception) {
            throw graphics3d::ShaderLinkerException(String::concat(VertexProgramFile, " and ") +
                                                    String(PixelProgramFile) + String(" do not link: ") +
                                                    exception.getMessage());
        }

        for (Sphere& sphere : spheres)
            buildSphere(sphere, program);
    } catch (...) {
        release();
        throw;
    }
}

void Scene::release() {
    spheres.clear();
    sky = nullptr;
    skyParameters = nullptr;
    skyFaces = nullptr;
    std::fill(std::begin(skyFaceReady), std::end(skyFaceReady), false);
    light = nullptr;
    spinAngle = 0.0;
}

void Scene::orderFrontToBack(const math::Matrix& view, std::vector<int>& order) const {
    const size_t count = spheres.size();
    order.resize(count);
    // Eye space looks down -Z: the distance to a sphere's nearest point along the view direction, from the
    // third row of the view applied to the sphere's centre.
    const float* row = view.elements + 8;
    auto nearest = [&](int i) {
        const math::Vector3<float> centre = spheres[size_t(i)].transform.getTranslation();
        return -(row[0] * centre.x + row[1] * centre.y + row[2] * centre.z + row[3]) -
               spheres[size_t(i)].radius;
    };
    for (size_t i = 0; i < count; ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return nearest(a) < nearest(b); });
}

void Scene::placeLight(graphics3d::Context& context) const {
    if (context.lightStack.lights[0] == light.get()) {
        light->applyPlacement(0);
        return;
    }
    context.lightStack.lights[0] = light.get();
    glEnable(GL_LIGHT0);
    light->apply(0);
}

void Scene::drawSky(graphics3d::MatrixStack& matrixStack, const math::Matrix& view) const {
    matrixStack.setMode(GL_TEXTURE0);
    glLoadIdentity();
    skyParameters->set("modelview", view.data(), sizeof view.elements);
    sky->draw(skyParameters);
}

int sphereDetailFor(float pixelRadius) {
    // Within a tenth of a pixel of the true outline: invisible once the outline is rasterised.
    constexpr float tolerance = 0.1f;
    if (!(pixelRadius >= 0.0f) || !std::isfinite(pixelRadius))
        return 0;
    int level = 0;
    for (int next = 1; next < DetailCount; ++next) {
        const float gap =
            pixelRadius * (1.0f - std::cos(std::numbers::pi_v<float> / float(SphereSegments[next])));
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

void Scene::spin(float elapsedMilliseconds) {
    // Turning the last frame's transforms again would pile up the rounding of every turn, and the
    // spheres would shrink and drift; each frame starts from where they were placed instead. The angle
    // is kept within a turn in double precision, so that it stays as exact after hours as at the start.
    const float angle = elapsedMilliseconds * SpinPerMillisecond;
    spinAngle = std::remainder(spinAngle + double(angle), 2.0 * std::numbers::pi);
    for (Sphere& sphere : spheres) {
        sphere.transform = sphere.placed;
        math::rotate(sphere.transform, float(spinAngle), {sphere.axis[0], sphere.axis[1], sphere.axis[2]});
    }
}

} // namespace korvane::demo
