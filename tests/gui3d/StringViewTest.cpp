#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics3d/GL.h"
#include "gui/Input.h"
#include "gui3d/Root.h"
#include "gui3d/StringView.h"
#include "support/gui3d/OverlayTesting.h"

namespace korvane::gui3d {
namespace {

using object::Pointer;

struct Box {
    int left, top, right, bottom; // right and bottom exclusive
    bool contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
};

// The pixel boxes of a label's glyph quads, one per character, in window pixels.
std::vector<Box> glyphBoxes(const StringView& label) {
    std::vector<Box> boxes;
    const FontMap* map = label.getFontMap();
    float pen = label.getFrame().x;
    const float baseline = label.getFrame().y;
    for (unsigned char code : std::string(label.getText().getText())) {
        const FontMap::Quad& q = map->getQuad(code);
        const float x0 = std::floor(pen + q.left);
        boxes.push_back({int(std::floor(x0)), int(std::floor(baseline - q.top)), int(std::ceil(x0 + q.width)),
                         int(std::ceil(baseline + q.descent))});
        pen += q.advance;
    }
    return boxes;
}

class StringViewTest : public test::OverlayTest {
protected:
    // Clears, draws the overlay and checks that the label's pixels are all inside its glyph boxes and
    // that every glyph with a bitmap left some.
    void drawAndCheck(Root& root, const StringView& label) {
        glViewport(0, 0, context->size.width, context->size.height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        root.draw();
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        ASSERT_NE(label.getFontMap(), nullptr);
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = readFrame(width, height);
        const std::vector<Box> boxes = glyphBoxes(label);
        std::vector<int> lit(boxes.size());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (pixels[size_t(y * width + x)] == 0)
                    continue;
                bool inside = false;
                for (size_t i = 0; i < boxes.size(); ++i) {
                    if (boxes[i].contains(x, y)) {
                        inside = true;
                        ++lit[i];
                    }
                }
                ASSERT_TRUE(inside) << "text pixel outside the glyph quads at " << x << ", " << y;
            }
        }
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].right > boxes[i].left) {
                EXPECT_GT(lit[i], 0) << "nothing drawn for character " << i;
            }
        }
    }
};

TEST_F(StringViewTest, DrawsTextOnlyInsideItsGlyphQuadsAndStaysAnchoredToTheBottom) {
    auto root = Pointer<Root>::adopt(new Root(context));
    // Codes above 127 (Mac Roman e-acute and a-ring) use their own quads.
    auto label = Pointer<StringView>::adopt(new StringView({20, 200, 170, 40}, "Hg\x8E\x8C|j"));
    label->setFont(font());
    label->setAnchors(gui::AnchorBottom);
    root->addView(label);
    auto fontless = Pointer<StringView>::adopt(new StringView({20, 60, 170, 40}, "no font"));
    root->addView(fontless);

    GLint projectionDepth = graphics3d::test::getInteger(GL_PROJECTION_STACK_DEPTH);
    GLint modelviewDepth = graphics3d::test::getInteger(GL_MODELVIEW_STACK_DEPTH);
    drawAndCheck(*root, *label);
    EXPECT_EQ(graphics3d::test::getInteger(GL_PROJECTION_STACK_DEPTH), projectionDepth);
    EXPECT_EQ(graphics3d::test::getInteger(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
    EXPECT_FALSE(graphics3d::test::isEnabled(GL_SCISSOR_TEST));
    EXPECT_FALSE(graphics3d::test::isEnabled(GL_BLEND));
    EXPECT_EQ(context->currentBlendMode, nullptr) << "the overlay changed the blending behind the record";

    window->resize(256, 160);
    ASSERT_TRUE(context->makeCurrent());
    ASSERT_EQ(context->size.height, 160);
    EXPECT_EQ(root->getSize().height, 160.0f);
    EXPECT_EQ(label->getFrame().y, 200.0f - 96.0f);
    EXPECT_EQ(fontless->getFrame().y, 60.0f);
    drawAndCheck(*root, *label);
}

TEST_F(StringViewTest, ConsecutiveTextsShareOnePrimitive) {
    auto root = Pointer<Root>::adopt(new Root(context));
    Context& overlay = root->getContext();
    FontMap* map = overlay.getFontCache().getFontMap(font());
    ASSERT_NE(map, nullptr);
    overlay.begin();
    overlay.fontMap = map;
    overlay.drawText({10, 40}, "one");
    overlay.drawText({10, 80}, "two");
    // Inside glBegin, a matrix load would be refused: still open means one primitive.
    EXPECT_EQ(overlay.getMode(), Context::ModeText);
    overlay.end();
    EXPECT_EQ(overlay.getMode(), Context::ModeNone);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
} // namespace korvane::gui3d
