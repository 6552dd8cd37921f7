#include "gui3d/View.h"

#include "gui3d/Root.h"

namespace korvane::gui3d {

View::View(const gui::Rectangle& frame) : bounds{0.0f, 0.0f, frame.width, frame.height}, frame(frame) {
    updateTransform();
}

View::~View() {
    // Only reached while in a root when the root's reference was bypassed; the root must not keep
    // pointing here.
    if (root)
        root->forget(this);
}

types::String View::getClassPath() const {
    return types::String::concat(Handler::getClassPath(), ":View");
}

bool View::setParent(View* view) {
    if (view == this || root)
        return false;
    parent = view;
    updateTransform();
    return true;
}

void View::setFrame(const gui::Rectangle& rectangle) {
    frame = rectangle;
    layout();
}

void View::setLocalTransform(const graphics::Transform<float>& transform) {
    localTransform = transform;
    updateTransform();
}

bool View::contains(const gui::Point& point) const {
    return visible && frame.x <= point.x && point.x <= frame.x + frame.width && frame.y <= point.y &&
           point.y <= frame.y + frame.height;
}

gui::Point View::toLocal(const gui::Point& point) const {
    const graphics::Transform<float>& m = localTransform;
    const float det = m.determinant();
    // A singular transform has no inverse: the point keeps its offset from the frame.
    if (det == 0.0f)
        return {point.x - frame.x, point.y - frame.y};
    return {(point.x - frame.x - m.tx) * m.m11 / det, (point.y - frame.y - m.ty) * m.m00 / det};
}

void View::layout() {
    const graphics::Transform<float>& m = localTransform;
    const float det = m.determinant();
    if (det != 0.0f)
        bounds = {-m.tx * m.m11 / det, -m.ty * m.m00 / det, frame.width * m.m11 / det,
                  frame.height * m.m00 / det};
    updateTransform();
    onFrameChanged(frame);
}

void View::updateTransform() {
    const graphics::Transform<float> placed =
        graphics::Transform<float>::translate(localTransform, frame.x, frame.y);
    globalTransform = parent ? graphics::Transform<float>::compose(parent->globalTransform, placed) : placed;
}

} // namespace korvane::gui3d
