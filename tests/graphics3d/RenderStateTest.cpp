#include <gtest/gtest.h>

#include "graphics3d/Appearance.h"
#include "graphics3d/RenderState.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"

namespace korvane::graphics3d {
namespace {

using object::Pointer;
using test::getInteger;
using test::isEnabled;

class RenderStateTest : public test::GLTest {};

TEST_F(RenderStateTest, DefaultBlendModeTurnsBlendingAndAlphaTestOff) {
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glAlphaFunc(GL_GREATER, 0.5f);
    BlendMode blend;
    blend.apply();
    EXPECT_FALSE(isEnabled(GL_BLEND));
    EXPECT_FALSE(isEnabled(GL_ALPHA_TEST));
    // Nothing else is touched.
    EXPECT_EQ(getInteger(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(getInteger(GL_ALPHA_TEST_FUNC), GL_GREATER);
    EXPECT_EQ(blend.getClassPath(), "Object:Resource:BlendMode");
}

TEST_F(RenderStateTest, BlendingSetsFactorsAndConstantColourOnlyForConstantFactors) {
    glBlendColor(0.5f, 0.5f, 0.5f, 0.5f);
    BlendMode alpha;
    alpha.sourceFactor = GL_SRC_ALPHA;
    alpha.destinationFactor = GL_ONE_MINUS_SRC_ALPHA;
    alpha.colour[0] = 1.0f;
    alpha.alphaFunction = GL_GREATER;
    alpha.alphaReference = 0.25f;
    alpha.apply();
    EXPECT_TRUE(isEnabled(GL_BLEND));
    EXPECT_EQ(getInteger(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(getInteger(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(getInteger(GL_BLEND_EQUATION), GL_FUNC_ADD);
    EXPECT_TRUE(isEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(getInteger(GL_ALPHA_TEST_FUNC), GL_GREATER);
    GLfloat colour[4] = {};
    glGetFloatv(GL_BLEND_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.5f) << "the constant colour is left alone for non-constant factors";

    BlendMode constant;
    constant.destinationFactor = GL_CONSTANT_COLOR;
    constant.equation = GL_FUNC_REVERSE_SUBTRACT;
    constant.colour[0] = 1.0f;
    constant.colour[3] = 0.75f;
    constant.apply();
    glGetFloatv(GL_BLEND_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.75f);
    EXPECT_EQ(getInteger(GL_BLEND_EQUATION), GL_FUNC_REVERSE_SUBTRACT);
    EXPECT_FALSE(isEnabled(GL_ALPHA_TEST));
}

TEST_F(RenderStateTest, MissingBlendEntryPointsAreSkipped) {
    test::MissingEntryPoint noEquation(__glewBlendEquationEXT);
    test::MissingEntryPoint noColour(__glewBlendColorEXT);
    BlendMode constant;
    constant.destinationFactor = GL_CONSTANT_ALPHA;
    constant.equation = GL_FUNC_SUBTRACT;
    constant.apply();
    EXPECT_TRUE(isEnabled(GL_BLEND));
    EXPECT_EQ(getInteger(GL_BLEND_EQUATION), GL_FUNC_ADD);
}

TEST_F(RenderStateTest, DefaultDepthModeTestsWithLessOrEqualAndWrites) {
    glDepthMask(GL_FALSE);
    glDepthRange(0.25, 0.5);
    DepthMode depth;
    depth.apply();
    EXPECT_TRUE(isEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(getInteger(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(getInteger(GL_DEPTH_WRITEMASK), GL_TRUE);
    GLfloat range[2] = {};
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_FLOAT_EQ(range[0], 0.0f);
    EXPECT_FLOAT_EQ(range[1], 1.0f);

    // With the test off, the mask and the range are still set.
    DepthMode off;
    off.function = -1;
    off.writeMask = false;
    off.far = 0.5f;
    off.apply();
    EXPECT_FALSE(isEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(getInteger(GL_DEPTH_WRITEMASK), GL_FALSE);
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_FLOAT_EQ(range[1], 0.5f);
}

TEST_F(RenderStateTest, DefaultStencilModeIsOffAndWritesNoBits) {
    glEnable(GL_STENCIL_TEST);
    glStencilOp(GL_ZERO, GL_INCR, GL_DECR);
    StencilMode stencil;
    stencil.apply();
    EXPECT_FALSE(isEnabled(GL_STENCIL_TEST));
    EXPECT_EQ(getInteger(GL_STENCIL_WRITEMASK), 0);
    EXPECT_EQ(getInteger(GL_STENCIL_FAIL), GL_KEEP);
    EXPECT_EQ(getInteger(GL_STENCIL_PASS_DEPTH_FAIL), GL_KEEP);
    EXPECT_EQ(getInteger(GL_STENCIL_PASS_DEPTH_PASS), GL_KEEP);

    StencilMode on;
    on.function = GL_EQUAL;
    on.reference = 3;
    on.mask = 0x0F;
    on.writeMask = 0xFF;
    on.passOperation = GL_REPLACE;
    on.apply();
    EXPECT_TRUE(isEnabled(GL_STENCIL_TEST));
    EXPECT_EQ(getInteger(GL_STENCIL_FUNC), GL_EQUAL);
    EXPECT_EQ(getInteger(GL_STENCIL_REF), 3);
    EXPECT_EQ(getInteger(GL_STENCIL_VALUE_MASK), 0x0F);
    EXPECT_EQ(getInteger(GL_STENCIL_WRITEMASK), 0xFF);
    EXPECT_EQ(getInteger(GL_STENCIL_PASS_DEPTH_PASS), GL_REPLACE);
}

TEST_F(RenderStateTest, PolygonModeSetsFillOffsetAndCulling) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glPolygonOffset(2.0f, 3.0f);
    PolygonMode polygon;
    polygon.apply();
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    EXPECT_EQ(modes[1], GL_FILL);
    GLfloat value = -1;
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &value);
    EXPECT_FLOAT_EQ(value, 0.0f);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &value);
    EXPECT_FLOAT_EQ(value, 0.0f);
    EXPECT_TRUE(isEnabled(GL_CULL_FACE));
    EXPECT_EQ(getInteger(GL_CULL_FACE_MODE), GL_BACK);

    PolygonMode split;
    split.frontMode = GL_LINE;
    split.backMode = GL_POINT;
    split.offsetFactor = 1.5f;
    split.offsetUnits = 4.0f;
    split.cullMode = PolygonMode::CullFront;
    split.apply();
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    EXPECT_EQ(modes[1], GL_POINT);
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &value);
    EXPECT_FLOAT_EQ(value, 1.5f);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &value);
    EXPECT_FLOAT_EQ(value, 4.0f);
    EXPECT_EQ(getInteger(GL_CULL_FACE_MODE), GL_FRONT);

    PolygonMode none;
    none.cullMode = 0;
    none.apply();
    EXPECT_FALSE(isEnabled(GL_CULL_FACE));
}

TEST_F(RenderStateTest, DestroyingTheCurrentStateClearsTheContextsRecord) {
    Pointer<BlendMode> additive = Pointer<BlendMode>::adopt(new BlendMode);
    additive->sourceFactor = GL_ONE;
    additive->destinationFactor = GL_ONE;
    Pointer<DepthMode> depth = Pointer<DepthMode>::adopt(new DepthMode);
    Pointer<StencilMode> stencil = Pointer<StencilMode>::adopt(new StencilMode);
    Pointer<PolygonMode> polygon = Pointer<PolygonMode>::adopt(new PolygonMode);
    {
        Pointer<Appearance> appearance = Pointer<Appearance>::adopt(new Appearance);
        appearance->blendMode.set(additive);
        appearance->depthMode.set(depth);
        appearance->stencilMode.set(stencil);
        appearance->polygonMode.set(polygon);
        appearance->bind();
    }
    EXPECT_EQ(context->currentBlendMode, additive.get());
    EXPECT_EQ(context->currentDepthMode, depth.get());
    EXPECT_EQ(context->currentStencilMode, stencil.get());
    EXPECT_EQ(context->currentPolygonMode, polygon.get());
    additive = nullptr;
    depth = nullptr;
    stencil = nullptr;
    polygon = nullptr;
    EXPECT_EQ(context->currentBlendMode, nullptr);
    EXPECT_EQ(context->currentDepthMode, nullptr);
    EXPECT_EQ(context->currentStencilMode, nullptr);
    EXPECT_EQ(context->currentPolygonMode, nullptr);

    // The state it set stays in force, and the next appearance naming a blend mode applies it again.
    EXPECT_TRUE(isEnabled(GL_BLEND));
    Appearance plain;
    plain.bind();
    EXPECT_EQ(context->currentBlendMode, &context->defaultBlendMode);
    EXPECT_FALSE(isEnabled(GL_BLEND));
}

} // namespace
} // namespace korvane::graphics3d
