#pragma once

#include <atomic>
#include <cstdint>

#include "application/Handler.h"
#include "container/Chain.h"
#include "graphics/Transform.h"
#include "gui/Context.h"
#include "gui/Geometry.h"
#include "platform/Window.h"
#include "types/String.h"

namespace korvane::gui {

class Window;

/// A rectangular area of a window backed by a child window of its own. It is a handler attached to the
/// window's looper, so its messages, window procedure and paint operations run on the window's thread.
///
/// The frame is in the coordinates of the window's client area (or of the parent view), the bounds in the
/// view's own coordinates; the local transform maps bounds to frame, the global transform maps view
/// coordinates to window client coordinates.
/// A window that a view is added to takes a reference to it and gives it back on removal.
class View : public application::Handler, public container::Chainable<View> {
public:
    /// Registered name of the class of view child windows.
    static constexpr const char* ClassName = "korvane::gui::view::class";

    explicit View(const Rectangle& frame);
    ~View() override;

    /// Recomputes the bounds and the global transform from the frame and moves the child window to it
    /// (which reports the new frame through onFrameChanged); without a child window onFrameChanged runs at
    /// once.
    void layout();
    /// Asks for a repaint of the whole child window; callable from any thread. False without a child window.
    bool invalidate();

    /// Sets the frame and lays the view out, on the window's thread when the window is open.
    void setFrame(const Rectangle& frame);
    Rectangle getFrame() const { return frame; }
    Rectangle getBounds() const { return bounds; }

    uint32_t getAnchors() const { return anchors; }
    void setAnchors(uint32_t anchorBits) { anchors = anchorBits; }

    void setName(const types::String& text) { name = text; }
    types::String getName() const override { return name; }

    const graphics::Transform<float>& getLocalTransform() const { return localTransform; }
    /// Sets the local transform; call layout() to bring bounds and child window up to date.
    void setLocalTransform(const graphics::Transform<float>& transform);
    const graphics::Transform<float>& getGlobalTransform() const { return globalTransform; }

    /// The window the view was added to, null while it belongs to none.
    Window* getWindow() const { return window.load(std::memory_order_acquire); }
    View* getParent() const { return parent; }
    /// Places the view inside another view (its child window is created inside the parent's and its
    /// global transform composes with the parent's). Only while the view belongs to no window.
    bool setParent(View* view);

    /// The child window and its device context, null while detached; the handle may be read on any thread.
    platform::WindowHandle getHandle() const { return hwnd.load(std::memory_order_acquire); }
    platform::DeviceContext getDeviceContext() const { return hdc; }
    const Context& getContext() const { return context; }
    /// True while the mouse is inside the child window.
    bool isHovering() const { return hovering; }

    virtual Size getSize() const { return {frame.width, frame.height}; }
    virtual bool paint(const Context& paintContext, const Rectangle& dirty);
    /// Creates the child window inside the window (or the parent view); false when that fails or the
    /// view has a child window already.
    virtual bool attach();
    /// Destroys the child window; false when there is none.
    virtual bool detach();
    virtual bool onActivate() { return true; }
    virtual bool onDeactivate() { return true; }
    virtual bool onFrameChanged(const Rectangle&) { return true; }
    virtual bool onFocusLost() { return true; }
    virtual bool onKeyDown(uint32_t) { return true; }
    virtual bool onKeyUp(uint32_t) { return true; }
    virtual bool onChar(uint32_t, uint32_t) { return true; }
    virtual bool onMouseMove(const Point&, uint32_t) { return true; }
    virtual bool onMouseButton(const Point&, uint32_t) { return true; }
    virtual bool onMouseEnter(const Point&, uint32_t) { return true; }
    virtual bool onMouseLeave() { return true; }
    virtual bool onMouseWheel(float, uint32_t) { return false; }
    /// Recomputes the global transform: the local transform moved by the frame's origin, composed with the
    /// parent's global transform when there is a parent.
    virtual void updateTransform();

    types::String getClassPath() const override;

protected:
    /// The procedure of view child windows; the OpenGL view passes what it does not handle on to it.
    static platform::Result procedure(platform::WindowHandle handle, uint32_t message,
                                      platform::WParam wParam, platform::LParam lParam);
    /// The view whose child window this is, null before its creation message.
    static View* fromHandle(platform::WindowHandle handle);

private:
    friend class Window;

    static void registerClass();

    std::atomic<Window*> window{nullptr};
    View* parent = nullptr;
    Context context;
    Rectangle bounds;
    Rectangle frame;
    uint32_t anchors = 0;
    types::String name;
    graphics::Transform<float> localTransform;
    graphics::Transform<float> globalTransform;
    std::atomic<platform::WindowHandle> hwnd{nullptr};
    platform::DeviceContext hdc = nullptr;
    bool hovering = false;
};

} // namespace korvane::gui
