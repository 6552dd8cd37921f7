#pragma once

#include <cstdint>
#include <mutex>

#include "application/MessageQueue.h"
#include "application/Messenger.h"
#include "container/Chain.h"
#include "graphics3d/Context.h"
#include "gui/Geometry.h"
#include "gui3d/Context.h"
#include "gui3d/View.h"
#include "platform/Window.h"

namespace korvane::gui3d {

/// The overlay of one OpenGL window: a chain of views drawn over the 3D scene, and the window's input.
/// The root replaces the window's procedure: with captureInput it takes the mouse and key messages and
/// hit-tests the views in chain order (the first view is on top); mouse input that no view takes goes to
/// the root's own operations, which subclasses override to pass it on. Without captureInput it only
/// follows the window's size. The chain holds a reference to each view it contains; a view may take itself
/// or others out from any of its callbacks, and the walk that called it goes on with the views still in
/// the root. Everything runs on the window's thread, with its GL context current; messages may be posted
/// to the root's views from any thread.
class Root : public application::Messenger {
public:
    // Throws InvalidOperationException for a null graphics context.
    Root(graphics3d::Context* graphicsContext, bool captureInput = true);
    // Takes out every view and gives the window its previous procedure back.
    ~Root() override;

    // False if the view is null, has a root or a parent already, or is attached to another messenger.
    bool addView(View* view);
    // False unless the view is in this root.
    bool removeView(View* view);
    void removeAllViews();
    // Draws every view, the last of the chain first.
    void draw();
    // Delivers the messages posted or sent to the root's handlers; returns how many.
    uint32_t dispatchMessages();

    // The view that receives key input (null: the root's own key operations do); the previous one is
    // told it lost the focus. False for a view of another root.
    bool setFocusView(View* view);
    View* getFocusView() const { return focusView; }
    View* getHoverView() const { return hoverView; }
    const container::Chain<View>& getViews() const { return views; }
    Context& getContext() { return context; }
    gui::Size getSize() const { return size; }
    platform::WindowHandle getWindow() const { return hwnd; }

    types::String getName() const override { return name; }
    void setName(const types::String& text) { name = text; }

    bool handleMessage(application::Message*) override { return true; }
    bool deliverSent(application::Message* message) override;
    bool deliverPosted(application::Message* message) override;
    bool isLooper() const override { return false; }
    // Moves the anchored views by the change of size.
    virtual bool onResize(const gui::Size& newSize);
    virtual bool onActivate();
    virtual bool onDeactivate();
    virtual bool onKeyDown(uint32_t) { return true; }
    virtual bool onKeyUp(uint32_t) { return true; }
    virtual bool onChar(uint32_t, uint32_t) { return true; }
    // Mouse operations answer whether a view took the event.
    virtual bool onMouseMove(const gui::Point& position, uint32_t state);
    virtual bool onMouseButton(const gui::Point& position, uint32_t code);
    virtual bool onMouseWheel(float, uint32_t) { return false; }
    virtual bool onMouseEnter(const gui::Point& position, uint32_t state);
    virtual bool onMouseLeave();

    types::String getClassPath() const override;

private:
    friend class View;

    static platform::Result inputProcedure(platform::WindowHandle handle, uint32_t message,
                                           platform::WParam wParam, platform::LParam lParam);
    static platform::Result sizeProcedure(platform::WindowHandle handle, uint32_t message,
                                          platform::WParam wParam, platform::LParam lParam);
    static Root* fromHandle(platform::WindowHandle handle);
    platform::Result passOn(uint32_t message, platform::WParam wParam, platform::LParam lParam);
    void readSize();
    bool deliver(application::Message* message, bool front);
    void takeOut(View* view);
    // Calls visit(view) for every view of the chain, first to last or last to first, until a call answers
    // true (which it then answers), so that callbacks may take views out of the root meanwhile.
    template <typename Visit> bool visitViews(bool backwards, Visit&& visit);
    // Clears every pointer to a view that is going away.
    void forget(View* view);

    types::String name;
    gui::Size size;
    gui::Size previousSize;
    Context context;
    container::Chain<View> views;
    application::MessageQueue queue;
    std::mutex queueLock;
    View* focusView = nullptr;
    View* hoverView = nullptr;
    platform::WindowHandle hwnd = nullptr;
    platform::DeviceContext hdc = nullptr;
    platform::WindowProcedure previousProcedure = nullptr;
    platform::WindowProcedure installedProcedure = nullptr;
    bool hovering = false;
};

} // namespace korvane::gui3d
