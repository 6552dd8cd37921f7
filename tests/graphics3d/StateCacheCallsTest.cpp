#include <gtest/gtest.h>

#include <cstring>

#include "graphics3d/Appearance.h"
#include "graphics3d/ProgrammableShader.h"
#include "graphics3d/ShaderProgram.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"
#include "support/graphics3d/TestTextures.h"

// The scenario whose GL calls tests/graphics3d/count-gl-calls counts under apitrace: each step is
// bracketed by a debug-message marker naming it. Run alone it only checks that the steps leave the
// expected objects in force.
namespace korvane::graphics3d {
namespace {

using object::Pointer;

const char* const vertexSource = R"(
#version 110
void main() { gl_FrontColor = gl_Color; gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }
)";

const char* const fragmentSource = R"(
#version 110
uniform sampler2D picture;
void main() { gl_FragColor = gl_Color * texture2D(picture, gl_TexCoord[0].xy); }
)";

void marker(const char* step) {
    if (glDebugMessageInsert)
        glDebugMessageInsert(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_MARKER, 0,
                             GL_DEBUG_SEVERITY_NOTIFICATION, -1, step);
}

class StateCacheCalls : public test::GLTest {};

TEST_F(StateCacheCalls, BindingAppearances) {
    auto shader = Pointer<ProgrammableShader>::adopt(ProgrammableShader::create());
    shader->attach(Pointer<VertexProgram>::adopt(VertexProgram::create(vertexSource)));
    shader->attach(Pointer<PixelProgram>::adopt(PixelProgram::create(fragmentSource)));
    shader->link();
    auto texture = Pointer<test::TestTexture>::adopt(test::TestTexture::create2D(16));
    auto depth = Pointer<DepthMode>::adopt(new DepthMode);
    auto polygon = Pointer<PolygonMode>::adopt(new PolygonMode);
    auto red = Pointer<ColourMaterial>::adopt(new ColourMaterial);
    auto green = Pointer<ColourMaterial>::adopt(new ColourMaterial);
    red->diffuse[1] = red->diffuse[2] = 0;
    green->diffuse[0] = green->diffuse[2] = 0;

    Appearance first, second;
    for (Appearance* appearance : {&first, &second}) {
        appearance->shader.set(shader);
        appearance->depthMode.set(depth);
        appearance->polygonMode.set(polygon);
        appearance->textures[0].set(texture);
    }
    first.material.set(red);
    second.material.set(green);

    marker("first bind");
    first.bind();
    marker("same appearance again");
    first.bind();
    marker("switch to an appearance sharing the shader");
    second.bind();
    marker("and back");
    first.bind();
    marker("end");

    EXPECT_EQ(context->currentShader, shader.get());
    EXPECT_EQ(context->currentMaterial, red.get());
    EXPECT_EQ(context->boundTextures[0], texture.get());
}

} // namespace
} // namespace korvane::graphics3d
