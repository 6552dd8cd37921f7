#include "gui3d/StringView.h"

#include "graphics3d/OpenGL.h"
#include "gui3d/Context.h"

namespace korvane::gui3d {

StringView::StringView(const gui::Rectangle& frame, const types::String& text) : View(frame), text(text) {}

types::String StringView::getClassPath() const {
    return types::String::concat(View::getClassPath(), ":StringView");
}

void StringView::setFont(const freetype::Font* value) {
    font = value;
    fontMap = nullptr;
    fontMapContext = nullptr;
}

void StringView::setColour(float red, float green, float blue, float alpha) {
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
    colour[3] = alpha;
}

bool StringView::onDetach() {
    fontMap = nullptr;
    fontMapContext = nullptr;
    return true;
}

bool StringView::draw() {
    Context* drawing = getContext();
    if (!font || !drawing)
        return true;
    if (!fontMap || fontMapContext != drawing) {
        fontMap = drawing->getFontCache().getFontMap(font.get());
        fontMapContext = drawing;
        if (!fontMap)
            return true;
    }
    for (int i = 0; i < 4; ++i)
        drawing->colour[i] = colour[i];
    glColor3f(colour[0], colour[1], colour[2]);
    drawing->endPrimitive();
    drawing->fontMap = fontMap.get();
    drawing->drawText({0.0f, 0.0f}, text);
    return true;
}

} // namespace korvane::gui3d
