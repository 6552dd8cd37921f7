#pragma once

#include <cstdint>

#include "application/Handler.h"
#include "container/Chain.h"
#include "graphics/Transform.h"
#include "gui/Geometry.h"
#include "object/Noncopyable.h"
#include "types/String.h"

namespace korvane::gui3d {

class Context;
class Root;

/// A rectangular area of an overlay, without a window of its own: the root hit-tests it, routes mouse and
/// key input to it and draws it. The frame is in root (window client) pixels, y down; the local
/// transform maps the view's own coordinates (its bounds) into the frame. Invisible views are passed over
/// by hit-testing. Used on the thread that draws the overlay (the OpenGL view's window thread), where the
/// root routes input too; a root holds a reference to each of its views and releases it when the view
/// leaves.
class View : public application::Handler, public container::Chainable<View>, private object::Noncopyable {
public:
    explicit View(const gui::Rectangle& frame);
    /// A view destroyed while still in a root leaves it.
    ~View() override;

    Root* getRoot() const { return root; }
    View* getParent() const { return parent; }
    /// Composes the view's transform with another view's. Only while the view belongs to no root.
    bool setParent(View* view);
    /// The root's drawing context while the view is in a root, null otherwise.
    Context* getContext() const { return context; }

    types::String getName() const override { return name; }
    void setName(const types::String& text) { name = text; }
    const gui::Rectangle& getFrame() const { return frame; }
    /// Sets the frame and lays the view out.
    void setFrame(const gui::Rectangle& rectangle);
    const gui::Rectangle& getBounds() const { return bounds; }
    uint32_t getAnchors() const { return anchors; }
    void setAnchors(uint32_t anchorBits) { anchors = anchorBits; }
    bool isVisible() const { return visible; }
    void setVisible(bool value) { visible = value; }
    const graphics::Transform<float>& getLocalTransform() const { return localTransform; }
    /// Sets the local transform; layout() brings the bounds up to date.
    void setLocalTransform(const graphics::Transform<float>& transform);
    const graphics::Transform<float>& getGlobalTransform() const { return globalTransform; }

    /// Whether hit-testing finds the point (root pixels) in the view: visible, with the frame's edges
    /// included. A view that draws outside its frame widens this to cover what it draws.
    virtual bool contains(const gui::Point& point) const;
    /// A point in root pixels in the view's own coordinates.
    gui::Point toLocal(const gui::Point& point) const;

    virtual gui::Size getSize() const { return {frame.width, frame.height}; }
    virtual bool onActivate() { return true; }
    virtual bool onDeactivate() { return true; }
    virtual bool onAttach() { return true; }
    virtual bool onDetach() { return true; }
    /// Draws the view in its own coordinates; the root has loaded its global transform.
    virtual bool draw() { return true; }
    virtual bool onFrameChanged(const gui::Rectangle&) { return true; }
    virtual bool onFocusLost() { return true; }
    /// Input operations answer whether the view took the event.
    virtual bool onKeyDown(uint32_t) { return false; }
    virtual bool onKeyUp(uint32_t) { return false; }
    virtual bool onChar(uint32_t, uint32_t) { return false; }
    virtual bool onMouseMove(const gui::Point&, uint32_t) { return false; }
    virtual bool onMouseButton(const gui::Point&, uint32_t) { return false; }
    virtual bool onMouseEnter(const gui::Point&, uint32_t) { return false; }
    virtual bool onMouseLeave() { return false; }
    /// Recomputes the bounds and the global transform from the frame, then reports the frame through
    /// onFrameChanged.
    virtual void layout();
    /// The local transform moved by the frame's origin, composed with the parent's global transform.
    virtual void updateTransform();

    types::String getClassPath() const override;

private:
    friend class Root;

    Root* root = nullptr;
    View* parent = nullptr;
    Context* context = nullptr;
    types::String name;
    gui::Rectangle bounds;
    gui::Rectangle frame;
    graphics::Transform<float> localTransform;
    graphics::Transform<float> globalTransform;
    uint32_t anchors = 0;
    bool visible = true;
};

} // namespace korvane::gui3d
