#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "application/Looper.h"
#include "container/Chain.h"
#include "gui/Context.h"
#include "gui/Geometry.h"
#include "gui/View.h"
#include "platform/Window.h"
#include "system/Mutex.h"
#include "system/Signal.h"
#include "types/String.h"

namespace korvane::gui {

/// A top-level window that is also a looper: its own thread creates the window, runs the message loop for
/// it and its views, and handles the framework messages addressed to the window and its views. The window
/// procedure turns window messages into calls of the virtual operations below.
///
/// open() and close() may be called from any thread; they wait until the window thread has done the work.
/// Closing is idempotent: from the window's own callbacks, and from several threads at once. Setters may
/// also be called from any thread: while the window thread runs, their values are handed to it (at once
/// when the window does not exist yet, under a lock that its creation takes too), so views, their child
/// windows (and GL contexts) and the fields the window thread reads are only ever touched there.
///
/// Close a window (and so stop its thread) before releasing it: a subclass's operations are gone by the
/// time this class's destructor could close it. The last reference may be dropped from the window's own
/// callbacks (onClose closing and releasing it): the window is then destroyed after its loop has left.
class Window : public application::Looper {
public:
    /// Registered name of the class of top-level windows.
    static constexpr const char* ClassName = "korvane::gui::window::class";
    /// Caption, system menu, sizing border and maximise box; no minimise box.
    static constexpr uint32_t Style = 0x00CD0000;

    Window();
    ~Window() override;

    void setTitle(const types::String& text);
    types::String getTitle() const;
    /// Sets the client size: at once (laying out anchored views) while the window does not exist,
    /// otherwise by resizing the window, whose size notification updates the frame and the layout.
    void setSize(const Size& size);
    /// Tracking sizes of the whole window; defaults (2, 2) and (4096, 4096).
    void setMinimumSize(const Size& size);
    void setMaximumSize(const Size& size);
    Size getMinimumSize() const;
    Size getMaximumSize() const;

    /// Starts the window thread and creates the window and the child windows of its views there. False
    /// when the window is open already or cannot be created.
    bool open();
    /// Destroys the window (detaching its views) on its thread and stops the thread. False unless open.
    bool close();

    /// Adds a view (the window takes a reference) and, when the window is open, attaches it at once.
    /// False when the view belongs to a window already or has a parent view.
    bool addView(View* view);
    /// Detaches and removes one of this window's views. False for a view of another window or a nested one.
    bool removeView(View* view);
    void removeAllViews();
    /// Sends key, character and wheel input to a view instead of the window; null for the window itself.
    /// False, changing nothing, for a view that is not one of this window's.
    bool setFocusView(View* view);
    View* getFocusView() const { return focusView; }

    /// While the window exists: the screen position and size of the client area.
    Rectangle getFrame() const;
    bool isCreated() const { return created.load(std::memory_order_acquire); }
    platform::WindowHandle getHandle() const { return hwnd.load(std::memory_order_acquire); }
    const Context& getContext() const { return context; }
    const container::Chain<View>& getViews() const { return views; }

    /// Runs work on the window thread while the window exists (the caller waits), otherwise at once.
    bool callOnWindowThread(const std::function<bool()>& work);

    types::String getName() const override { return getTitle(); }
    types::String getClassPath() const override;

    /// Creates and destroys the window, paints and re-frames views; everything else goes to Looper.
    bool handleMessage(application::Message* message) override;

    virtual bool attachViews();
    virtual bool detachViews();
    virtual bool onClose();
    virtual bool onActivate();
    virtual bool onDeactivate();
    virtual bool onMove(const Point& position);
    virtual bool onResize(const Rectangle& newFrame);
    virtual bool onPaint(const Context& paintContext, const Rectangle& dirty);
    virtual bool onKeyDown(uint32_t key);
    virtual bool onKeyUp(uint32_t key);
    virtual bool onChar(uint32_t code, uint32_t modifiers);
    virtual bool onMouseMove(const Point& position, uint32_t state);
    virtual bool onMouseButton(const Point& position, uint32_t code);
    virtual bool onMouseWheel(float delta, uint32_t state);

protected:
    /// The looper's loop; when it ends with the window still there, the window is destroyed on its thread.
    void loop() override;

private:
    static platform::Result procedure(platform::WindowHandle handle, uint32_t message,
                                      platform::WParam wParam, platform::LParam lParam);
    static void registerClass();

    void create();
    void destroy();
    bool insertView(View* view);
    bool takeOutView(View* view);
    bool onWindowThread() const;
    // Waits until the window thread has changed the state so that done() holds.
    void waitUntil(const std::function<bool()>& done);
    // Tells waiters that the state changed.
    void stateChanged();

    container::Chain<View> views;
    Rectangle frame;
    Rectangle previousFrame;
    Size minimumSize{2.0f, 2.0f};
    Size maximumSize{4096.0f, 4096.0f};
    types::String title;
    View* focusView = nullptr;
    std::atomic<bool> created{false};
    // Pulsed by the window thread whenever a create or destroy request is done or its loop ends; waiters
    // wait for the state they need, so two threads waiting at once cannot take each other's wake-up.
    system::Signal signal;
    // Finished creation attempts, successful or not.
    std::atomic<uint64_t> creations{0};
    // Set while the loop runs.
    std::atomic<bool> looping{false};
    // Guards the fields the window thread reads (title, frame, sizes, views) against writers on other
    // threads while the window does not exist, and the creation that reads them.
    mutable system::Mutex fields;
    // One open or close from another thread at a time.
    std::mutex control;
    Context context;
    std::atomic<platform::WindowHandle> hwnd{nullptr};
    platform::DeviceContext hdc = nullptr;
    uint32_t style = 0;
};

} // namespace korvane::gui
