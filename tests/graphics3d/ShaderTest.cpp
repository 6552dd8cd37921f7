#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graphics3d/CommandList.h"
#include "graphics3d/FixedShader.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/Material.h"
#include "graphics3d/ProgrammableShader.h"
#include "graphics3d/ShaderProgram.h"
#include "graphics3d/VertexFormat.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"

namespace korvane::graphics3d {
namespace {

using object::Pointer;
using test::getInteger;
using test::isEnabled;

const char* const reflectingVertexShader = R"(
#version 110
varying vec3 reflected;
void main() {
    vec3 eye = normalize(vec3(gl_ModelViewMatrix * gl_Vertex));
    reflected = reflect(eye, gl_NormalMatrix * gl_Normal) + gl_MultiTexCoord0.xyz;
    gl_Position = ftransform();
}
)";

const char* const samplingFragmentShader = R"(
#version 110
uniform samplerCube sky;
uniform float strength;
uniform sampler2D detail;
varying vec3 reflected;
void main() {
    gl_FragColor = textureCube(sky, reflected) * texture2D(detail, reflected.xy) * strength;
}
)";

const char* const colourVertexShader = R"(
#version 110
void main() {
    gl_FrontColor = gl_Color + gl_SecondaryColor;
    gl_Position = gl_Vertex;
}
)";

// Records the order in which the context drives it.
class TracingShader : public Shader {
public:
    explicit TracingShader(std::vector<std::string>& trace, const char* name) : trace(trace), label(name) {
        arrays = attribute::Position;
    }
    void bind() override { trace.push_back(std::string("bind ") + label); }
    void unbind() override { trace.push_back(std::string("unbind ") + label); }
    void recordBind(CommandList&) const override {}
    void recordUnbind(CommandList&) const override {}

private:
    std::vector<std::string>& trace;
    const char* label;
};

Pointer<ProgrammableShader> linkedShader(const char* vertexSource, const char* fragmentSource) {
    auto shader = Pointer<ProgrammableShader>::adopt(ProgrammableShader::create());
    auto vertex = Pointer<VertexProgram>::adopt(VertexProgram::create(vertexSource));
    EXPECT_TRUE(shader->attach(vertex));
    if (fragmentSource) {
        auto fragment = Pointer<PixelProgram>::adopt(PixelProgram::create(fragmentSource));
        EXPECT_TRUE(shader->attach(fragment));
    }
    shader->link();
    return shader;
}

class ShaderTest : public test::GLTest {};

TEST_F(ShaderTest, FixedShadersNameTheirArraysAndLightingOnlyWhenLit) {
    EXPECT_EQ(PlainShader(0).getArrays(), 0x1u);
    EXPECT_EQ(PlainShader(FixedShader::Lighting).getArrays(), 0x5u);
    EXPECT_EQ(CubeTextureShader(0).getArrays(), 0x1001u);
    EXPECT_EQ(CubeTextureShader(FixedShader::Lighting).getArrays(), 0x1005u);
    EXPECT_EQ(FixedShader(FixedShader::Lighting).getArrays(), 0u);
    EXPECT_EQ(CubeTextureShader(0).getClassPath(), "Object:Resource:Shader:FixedShader:CubeTextureShader");

    PlainShader unlit(0);
    glEnable(GL_LIGHTING);
    unlit.bind();
    unlit.unbind();
    EXPECT_TRUE(isEnabled(GL_LIGHTING));
    glDisable(GL_LIGHTING);
    unlit.bind();
    EXPECT_FALSE(isEnabled(GL_LIGHTING));

    PlainShader lit(FixedShader::Lighting | FixedShader::LocalViewer | FixedShader::SeparateSpecular);
    lit.bind();
    EXPECT_TRUE(isEnabled(GL_LIGHTING));
    EXPECT_EQ(getInteger(GL_LIGHT_MODEL_LOCAL_VIEWER), 1);
    EXPECT_EQ(getInteger(GL_LIGHT_MODEL_TWO_SIDE), 0);
    EXPECT_EQ(getInteger(GL_LIGHT_MODEL_COLOR_CONTROL), GL_SEPARATE_SPECULAR_COLOR);
    lit.unbind();
    EXPECT_FALSE(isEnabled(GL_LIGHTING));
}

TEST_F(ShaderTest, CubeTextureShaderEnablesTheCubeMapOnUnitZero) {
    CubeTextureShader shader(FixedShader::Lighting | FixedShader::TwoSided);
    glActiveTexture(GL_TEXTURE2);
    context->activateShader(&shader);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_TRUE(isEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(getInteger(GL_LIGHT_MODEL_TWO_SIDE), 1);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    glClientActiveTexture(GL_TEXTURE0);
    EXPECT_TRUE(isEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_TRUE(isEnabled(GL_NORMAL_ARRAY));
    Context::releaseShader();
    EXPECT_FALSE(isEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_FALSE(isEnabled(GL_LIGHTING));
}

TEST_F(ShaderTest, ActivationUnbindsThePreviousShaderEvenWhenItIsTheSame) {
    std::vector<std::string> trace;
    TracingShader a(trace, "a"), b(trace, "b");
    context->activateShader(&a);
    context->activateShader(&a);
    context->activateShader(&b);
    Context::releaseShader();
    EXPECT_EQ(trace,
              (std::vector<std::string>{"bind a", "unbind a", "bind a", "unbind a", "bind b", "unbind b"}));
}

TEST_F(ShaderTest, AShaderDestroyedWhileInForceIsUnboundAndForgotten) {
    std::vector<std::string> trace;
    TracingShader next(trace, "next");
    {
        Pointer<ProgrammableShader> program = linkedShader(colourVertexShader, nullptr);
        context->activateShader(program);
        ASSERT_EQ(getInteger(GL_CURRENT_PROGRAM), GLint(program->getProgram()));
    }
    EXPECT_EQ(context->currentShader, nullptr);
    EXPECT_EQ(getInteger(GL_CURRENT_PROGRAM), 0) << "a deleted program must not stay in use";

    {
        auto lit = Pointer<CubeTextureShader>::adopt(new CubeTextureShader(FixedShader::Lighting));
        context->activateShader(lit);
    }
    EXPECT_EQ(context->currentShader, nullptr);
    EXPECT_FALSE(isEnabled(GL_LIGHTING));
    EXPECT_FALSE(isEnabled(GL_TEXTURE_CUBE_MAP));

    // The next activation does not reach the destroyed shader.
    context->activateShader(&next);
    Context::releaseShader();
    EXPECT_EQ(trace, (std::vector<std::string>{"bind next", "unbind next"}));
}

TEST_F(ShaderTest, RecordedCallsMatchBindAndUnbind) {
    CommandList list;
    CubeTextureShader(0).recordBind(list);
    ASSERT_EQ(list.getCount(), 8u); // three calls with 1, 1 and 3 arguments
    EXPECT_EQ(list[0].tag, uint32_t(CommandList::Argument));
    EXPECT_EQ(list[0].value, uintptr_t(GL_TEXTURE0));
    EXPECT_EQ(list[1].tag, uint32_t(CommandList::Call));
    EXPECT_EQ(list[1].value, reinterpret_cast<uintptr_t>(glActiveTextureARB));
    EXPECT_EQ(list[2].value, uintptr_t(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(list[3].value, reinterpret_cast<uintptr_t>(&glEnable));
    EXPECT_EQ(list[6].value, uintptr_t(GL_MODULATE));

    list.clear();
    CubeTextureShader(FixedShader::Lighting).recordUnbind(list);
    ASSERT_EQ(list.getCount(), 6u);
    EXPECT_EQ(list[5].value, reinterpret_cast<uintptr_t>(&glDisable));
    EXPECT_EQ(list[4].value, uintptr_t(GL_LIGHTING));

    list.clear();
    PlainShader(0).recordBind(list);
    EXPECT_EQ(list.getCount(), 0u);

    ColourMaterial material;
    material.shininess = 12.5f;
    list.clear();
    EXPECT_TRUE(material.record(list));
    ASSERT_EQ(list.getCount(), 22u); // five calls with 3 arguments, one with 1
    EXPECT_EQ(list[6].value, reinterpret_cast<uintptr_t>(material.diffuse));
    EXPECT_EQ(list[18].value, uintptr_t(std::bit_cast<uint32_t>(12.5f)));
    EXPECT_EQ(list[20].value, reinterpret_cast<uintptr_t>(material.diffuse));
    EXPECT_EQ(list[21].value, reinterpret_cast<uintptr_t>(&glColor4fv));
}

TEST_F(ShaderTest, CompileErrorCarriesTheDriversLog) {
    try {
        Pointer<VertexProgram>::adopt(
            VertexProgram::create("#version 110\nvoid main() { gl_Position = oops; }\n"));
        FAIL() << "compiled";
    } catch (const ShaderCompilerException& error) {
        EXPECT_EQ(error.getClassPath(), "Object:Exception:Graphics3dException:ShaderCompilerException");
        const std::string log(error.getMessage().getText());
        EXPECT_NE(log.find("oops"), std::string::npos) << log;
    }
    // A long log is cut to 1023 characters.
    std::string noisy = "#version 110\nvoid main() {\n";
    for (int line = 0; line < 200; ++line)
        noisy += "  gl_Position = undefinedVariableNumber" + std::to_string(line) + ";\n";
    noisy += "}\n";
    try {
        Pointer<PixelProgram>::adopt(PixelProgram::create(noisy.c_str()));
        FAIL() << "compiled";
    } catch (const ShaderCompilerException& error) {
        EXPECT_EQ(error.getMessage().getLength(), 1023u);
    }
    // An unrelated error left pending does not fail the next compilation.
    glEnable(0xFFFF);
    EXPECT_NO_THROW(Pointer<VertexProgram>::adopt(VertexProgram::create(colourVertexShader)));
}

TEST_F(ShaderTest, MissingShadingLanguageIsAnUnsupportedFeature) {
    {
        test::MissingEntryPoint missing(__glewCreateShader);
        EXPECT_THROW(VertexProgram::create(colourVertexShader), UnsupportedFeatureException);
    }
    test::MissingEntryPoint missing(__glewCreateProgram);
    EXPECT_THROW(ProgrammableShader::create(), UnsupportedFeatureException);
}

TEST_F(ShaderTest, LinkingDerivesTheArrayMaskFromActiveAttributes) {
    Pointer<ProgrammableShader> reflecting = linkedShader(reflectingVertexShader, samplingFragmentShader);
    EXPECT_EQ(reflecting->getArrays(), 0x1005u);
    Pointer<ProgrammableShader> colours = linkedShader(colourVertexShader, nullptr);
    EXPECT_EQ(colours->getArrays(), 0x31u);
    EXPECT_EQ(ProgrammableShader::attributeBit("GL_MULTITEXCOORD7"), 0x80000u);
    EXPECT_EQ(ProgrammableShader::attributeBit("gl_FogCoord"), 0x80u);
    EXPECT_EQ(ProgrammableShader::attributeBit("position"), 0u);
}

TEST_F(ShaderTest, SamplersTakeUnitsInActiveUniformOrderAndLinkKeepsTheProgramInUse) {
    Pointer<ProgrammableShader> other = linkedShader(colourVertexShader, nullptr);
    glUseProgram(other->getProgram());
    Pointer<ProgrammableShader> shader = linkedShader(reflectingVertexShader, samplingFragmentShader);
    EXPECT_EQ(getInteger(GL_CURRENT_PROGRAM), GLint(other->getProgram()));

    const GLuint program = shader->getProgram();
    std::vector<std::string> samplers;
    GLint uniforms = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &uniforms);
    for (GLint index = 0; index < uniforms; ++index) {
        char name[64] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, GLuint(index), sizeof name, nullptr, &size, &type, name);
        if (type == GL_SAMPLER_CUBE || type == GL_SAMPLER_2D)
            samplers.push_back(name);
    }
    ASSERT_EQ(samplers.size(), 2u);
    for (size_t unit = 0; unit < samplers.size(); ++unit) {
        GLint value = -1;
        glGetUniformiv(program, glGetUniformLocation(program, samplers[unit].c_str()), &value);
        EXPECT_EQ(value, GLint(unit)) << samplers[unit];
    }
    EXPECT_TRUE(shader->isValid());

    context->activateShader(shader);
    EXPECT_EQ(getInteger(GL_CURRENT_PROGRAM), GLint(program));
    glClientActiveTexture(GL_TEXTURE0);
    EXPECT_TRUE(isEnabled(GL_TEXTURE_COORD_ARRAY));
    Context::releaseShader();
    EXPECT_EQ(getInteger(GL_CURRENT_PROGRAM), 0);
}

TEST_F(ShaderTest, EveryElementOfASamplerArrayGetsAUnitOfItsOwn) {
    const char* const layeredFragmentShader = R"(
#version 110
uniform sampler2D layers[3];
uniform samplerCube sky;
varying vec3 reflected;
void main() {
    gl_FragColor = texture2D(layers[0], reflected.xy) + texture2D(layers[1], reflected.xy) +
                   texture2D(layers[2], reflected.xy) + textureCube(sky, reflected);
}
)";
    Pointer<ProgrammableShader> shader = linkedShader(reflectingVertexShader, layeredFragmentShader);
    const GLuint program = shader->getProgram();
    std::vector<GLint> units;
    for (const char* name : {"layers[0]", "layers[1]", "layers[2]", "sky"}) {
        GLint value = -1;
        glGetUniformiv(program, glGetUniformLocation(program, name), &value);
        units.push_back(value);
    }
    EXPECT_EQ(units[1], units[0] + 1);
    EXPECT_EQ(units[2], units[0] + 2);
    std::sort(units.begin(), units.end());
    EXPECT_EQ(units, (std::vector<GLint>{0, 1, 2, 3}));
}

TEST_F(ShaderTest, AttachingTwiceKeepsOneAttachmentAndOneReference) {
    auto shader = Pointer<ProgrammableShader>::adopt(ProgrammableShader::create());
    auto vertex = Pointer<VertexProgram>::adopt(VertexProgram::create(colourVertexShader));
    EXPECT_TRUE(shader->attach(vertex));
    EXPECT_TRUE(shader->attach(vertex));
    EXPECT_EQ(shader->getProgramCount(), 1u);
    EXPECT_EQ(vertex->getReferenceCount(), 2);
    GLint attached = 0;
    glGetProgramiv(shader->getProgram(), GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 1);
    EXPECT_EQ(shader->getClassPath(), "Object:Resource:Shader:ProgrammableShader");
    EXPECT_EQ(vertex->getClassPath(), "Object:Resource:ShaderProgram:VertexProgram");
    shader = nullptr;
    EXPECT_EQ(vertex->getReferenceCount(), 1);
}

TEST_F(ShaderTest, AProgramThatDoesNotLinkIsReported) {
    auto shader = Pointer<ProgrammableShader>::adopt(ProgrammableShader::create());
    auto first = Pointer<VertexProgram>::adopt(VertexProgram::create(colourVertexShader));
    auto second = Pointer<VertexProgram>::adopt(VertexProgram::create(colourVertexShader));
    ASSERT_TRUE(shader->attach(first));
    ASSERT_TRUE(shader->attach(second));
    glUseProgram(0);
    try {
        shader->link();
        FAIL() << "two main functions linked";
    } catch (const ShaderLinkerException& error) {
        EXPECT_GT(error.getMessage().getLength(), 0u);
    }
    EXPECT_EQ(getInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_FALSE(shader->isValid());
}

} // namespace
} // namespace korvane::graphics3d
