#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "graphics3d/Appearance.h"
#include "graphics3d/ProgrammableShader.h"
#include "graphics3d/ShaderProgram.h"
#include "graphics3d/TypeCode.h"
#include "graphics3d/VertexBuffer.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"
#include "support/graphics3d/TestTextures.h"

namespace korvane::graphics3d {
namespace {

using object::Pointer;
using test::getInteger;
using test::isEnabled;

const char* const passThrough = R"(
#version 110
void main() { gl_FrontColor = gl_Color; gl_Position = gl_Vertex; }
)";

void currentColour(GLfloat colour[4]) {
    glGetFloatv(GL_CURRENT_COLOR, colour);
}

template <typename T> Pointer<T> make() {
    return Pointer<T>::adopt(new T);
}

class AppearanceTest : public test::GLTest {};

TEST_F(AppearanceTest, StartsWithTheContextsDefaults) {
    const int32_t references = context->defaultShader.getReferenceCount();
    {
        Appearance appearance;
        EXPECT_EQ(appearance.shader.get(), &context->defaultShader);
        EXPECT_EQ(appearance.material.get(), &context->defaultMaterial);
        EXPECT_EQ(appearance.blendMode.get(), &context->defaultBlendMode);
        EXPECT_EQ(appearance.depthMode, nullptr);
        EXPECT_EQ(context->defaultShader.getReferenceCount(), references + 1);
        EXPECT_EQ(appearance.getClassPath(), "Object:Resource:Appearance");
    }
    EXPECT_EQ(context->defaultShader.getReferenceCount(), references);
}

// Parts change only through set() and reset(): code that counts references by hand (add one to the new
// part, release the old one, assign) must not compile, or it would release the old part twice.
template <typename T> using EntryOf = std::remove_reference_t<T>;
static_assert(!std::is_assignable_v<EntryOf<decltype(Appearance::shader)>&, Shader*>);
static_assert(!std::is_assignable_v<EntryOf<decltype(Appearance::shader)>&, std::nullptr_t>);
static_assert(!std::is_assignable_v<EntryOf<decltype(Appearance::material)>&, const Pointer<Material>&>);
static_assert(!std::is_assignable_v<std::remove_extent_t<decltype(Appearance::textures)>&, Texture*>);
static_assert(!std::is_assignable_v<EntryOf<decltype(Appearance::depthMode)>&,
                                    const EntryOf<decltype(Appearance::depthMode)>&>);

TEST_F(AppearanceTest, ReplacingAPartKeepsEveryReferenceCount) {
    const int32_t defaults = context->defaultShader.getReferenceCount();
    auto lit = Pointer<PlainShader>::adopt(new PlainShader(FixedShader::Lighting));
    {
        Appearance appearance;
        Appearance other;
        appearance.shader.set(lit);
        EXPECT_EQ(context->defaultShader.getReferenceCount(), defaults + 1) << "only the other one holds it";
        EXPECT_EQ(lit->getReferenceCount(), 2);
        appearance.shader.set(lit); // the same part again
        EXPECT_EQ(lit->getReferenceCount(), 2);
        other.shader.set(appearance.shader);
        EXPECT_EQ(lit->getReferenceCount(), 3);
        appearance.bind();
        EXPECT_EQ(context->currentShader, lit.get());
        appearance.shader.reset();
        EXPECT_EQ(appearance.shader, nullptr);
        EXPECT_EQ(lit->getReferenceCount(), 2);
    }
    EXPECT_EQ(lit->getReferenceCount(), 1) << "destruction releases every part";
    EXPECT_EQ(context->defaultShader.getReferenceCount(), defaults);
    context->activateShader(&context->defaultShader);
}

TEST_F(AppearanceTest, DefaultColourMaterialMakesAWhiteTransparentCurrentColour) {
    glColor4f(0, 0, 0, 1);
    Appearance appearance;
    appearance.bind();
    GLfloat colour[4] = {};
    currentColour(colour);
    EXPECT_FLOAT_EQ(colour[0], 1);
    EXPECT_FLOAT_EQ(colour[2], 1);
    EXPECT_FLOAT_EQ(colour[3], 0);
    GLfloat ambient[4] = {};
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.2f);
    EXPECT_EQ(context->currentMaterial, &context->defaultMaterial);
    EXPECT_EQ(context->currentShader, &context->defaultShader);
    EXPECT_EQ(context->clientArrays, attribute::Position);
}

TEST_F(AppearanceTest, BindingTheSameAppearanceAgainMakesNoGLCall) {
    auto texture = Pointer<test::TestTexture>::adopt(test::TestTexture::create2D(8));
    Appearance appearance;
    appearance.shader.set(Pointer<PlainShader>::adopt(new PlainShader(FixedShader::Lighting)));
    appearance.depthMode.set(make<DepthMode>());
    appearance.polygonMode.set(make<PolygonMode>());
    appearance.stencilMode.set(make<StencilMode>());
    appearance.textures[0].set(texture);
    appearance.bind();
    EXPECT_TRUE(isEnabled(GL_LIGHTING));
    EXPECT_TRUE(isEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), GLint(texture->getGLName()));

    // Change every part behind the cache's back: a second bind must leave all of it alone.
    glDisable(GL_LIGHTING);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glStencilMask(0xFF);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisableClientState(GL_NORMAL_ARRAY);
    appearance.bind();
    EXPECT_FALSE(isEnabled(GL_LIGHTING));
    GLfloat colour[4] = {};
    currentColour(colour);
    EXPECT_FLOAT_EQ(colour[0], 0.5f);
    EXPECT_TRUE(isEnabled(GL_BLEND));
    EXPECT_FALSE(isEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(isEnabled(GL_CULL_FACE));
    EXPECT_EQ(getInteger(GL_STENCIL_WRITEMASK), 0xFF);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_FALSE(isEnabled(GL_NORMAL_ARRAY));
}

TEST_F(AppearanceTest, AppearancesSharingAShaderSwitchOnlyTheirMaterials) {
    auto shader = Pointer<ProgrammableShader>::adopt(ProgrammableShader::create());
    shader->attach(Pointer<VertexProgram>::adopt(VertexProgram::create(passThrough)));
    shader->link();
    auto red = make<ColourMaterial>();
    red->diffuse[0] = 1;
    red->diffuse[1] = red->diffuse[2] = 0;
    auto green = make<ColourMaterial>();
    green->diffuse[1] = 1;
    green->diffuse[0] = green->diffuse[2] = 0;
    Appearance first, second;
    first.shader.set(shader);
    second.shader.set(shader);
    first.material.set(red);
    second.material.set(green);

    first.bind();
    EXPECT_EQ(getInteger(GL_CURRENT_PROGRAM), GLint(shader->getProgram()));
    glUseProgram(0); // behind the cache's back
    second.bind();
    EXPECT_EQ(getInteger(GL_CURRENT_PROGRAM), 0) << "the shared shader was bound again";
    GLfloat colour[4] = {};
    currentColour(colour);
    EXPECT_FLOAT_EQ(colour[0], 0);
    EXPECT_FLOAT_EQ(colour[1], 1);
    first.bind();
    currentColour(colour);
    EXPECT_FLOAT_EQ(colour[0], 1);
    EXPECT_EQ(context->currentMaterial, red.get());

    // A destroyed material is forgotten, so an appearance naming a new one at the same place applies it.
    first.material.reset();
    red = nullptr;
    EXPECT_EQ(context->currentMaterial, nullptr);
}

TEST_F(AppearanceTest, ATextureOnUnitThreeActivatesOnlyThatUnit) {
    auto cube = Pointer<test::TestTexture>::adopt(test::TestTexture::createCube(16));
    glActiveTexture(GL_TEXTURE1);
    Appearance appearance;
    appearance.textures[3].set(cube);
    appearance.bind();
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_CUBE_MAP), GLint(cube->getGLName()));
    EXPECT_EQ(context->boundTextures[3], cube.get());
    EXPECT_EQ(context->textureTargets[3], GLenum(GL_TEXTURE_CUBE_MAP));
    for (int unit = 0; unit < 3; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);
        EXPECT_EQ(context->boundTextures[unit], nullptr);
    }
    // The texture leaves the unit records when it goes.
    appearance.textures[3].reset();
    cube = nullptr;
    EXPECT_EQ(context->boundTextures[3], nullptr);
}

TEST_F(AppearanceTest, DrawsAQuadFromABufferObjectAndFromClientMemory) {
    VertexFormat format;
    format.add(type::Float3, attribute::Position);
    const float quad[4][3] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    auto material = make<ColourMaterial>();
    material->diffuse[0] = 1;
    material->diffuse[1] = 0.5f;
    material->diffuse[2] = 0;
    material->diffuse[3] = 1;
    Appearance appearance;
    appearance.material.set(material);
    appearance.polygonMode.set(make<PolygonMode>());
    appearance.polygonMode->cullMode = 0;
    appearance.depthMode.set(make<DepthMode>());
    appearance.depthMode->function = -1;

    for (bool bufferObjects : {true, false}) {
        SCOPED_TRACE(bufferObjects ? "buffer object" : "client memory");
        auto buffer = Pointer<VertexBuffer>::adopt(
            VertexBuffer::create(format, 4, bufferObjects ? StorageStatic : StorageMemory));
        ASSERT_EQ(buffer->getBufferObject() != 0, bufferObjects);
        ASSERT_TRUE(buffer->map(MapWriteOnly));
        std::memcpy(buffer->getData(), quad, sizeof quad);
        buffer->unmap();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        buffer->setPointers(0xFFFFFFFF);
        appearance.bind();
        glDrawArrays(GL_QUADS, 0, 4);
        uint8_t pixel[4] = {};
        glReadPixels(128, 128, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        EXPECT_EQ(pixel[0], 255);
        EXPECT_NEAR(pixel[1], 128, 1);
        EXPECT_EQ(pixel[2], 0);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

} // namespace
} // namespace korvane::graphics3d
