#include "gui3d/Root.h"

#include <vector>

#include "graphics3d/GL.h"
#include "graphics3d/Graphics3dException.h"
#include "gui/Input.h"
#include "object/Pointer.h"
#include "system/Thread.h"

namespace korvane::gui3d {

namespace {

// Posted to the window when a message waits in the root's queue, so that its thread delivers it.
constexpr uint32_t DeliverMessages = platform::WM_USER + 0x210;

gui::Point positionOf(platform::LParam lParam) {
    // Signed, as for views: while a button is held the pointer may be left of or above the window.
    return {float(platform::getXLParam(lParam)), float(platform::getYLParam(lParam))};
}

// Releases a delivered message also when its handler throws.
struct Delivered {
    application::Message* message;
    ~Delivered() { message->release(); }
};

} // namespace

Root::Root(graphics3d::Context* graphicsContext, bool captureInput)
    : context(graphicsContext ? graphicsContext : throw graphics3d::InvalidOperationException()) {
    size = previousSize = {float(graphicsContext->size.width), float(graphicsContext->size.height)};
    setThread(system::Thread::getCurrent());
    hwnd = graphicsContext->getWindow();
    hdc = graphicsContext->getDeviceContext();
    if (!hwnd)
        return;
    const auto current =
        reinterpret_cast<platform::WindowProcedure>(platform::getWindowLongPtr(hwnd, platform::GWLP_WNDPROC));
    // Two roots on one window would find each other's record through the window and loop.
    if (current == &Root::inputProcedure || current == &Root::sizeProcedure)
        throw graphics3d::InvalidOperationException();
    platform::setWindowLongPtr(hwnd, platform::GWLP_USERDATA, reinterpret_cast<intptr_t>(this));
    installedProcedure = captureInput ? &Root::inputProcedure : &Root::sizeProcedure;
    previousProcedure = reinterpret_cast<platform::WindowProcedure>(platform::setWindowLongPtr(
        hwnd, platform::GWLP_WNDPROC, reinterpret_cast<intptr_t>(installedProcedure)));
}

Root::~Root() {
    removeAllViews();
    if (!hwnd)
        return;
    // The window may outlive the root: it must not call into it any more.
    if (platform::getWindowLongPtr(hwnd, platform::GWLP_WNDPROC) ==
        reinterpret_cast<intptr_t>(installedProcedure))
        platform::setWindowLongPtr(hwnd, platform::GWLP_WNDPROC,
                                   reinterpret_cast<intptr_t>(previousProcedure));
    if (fromHandle(hwnd) == this)
        platform::setWindowLongPtr(hwnd, platform::GWLP_USERDATA, 0);
}

types::String Root::getClassPath() const {
    return types::String::concat(Messenger::getClassPath(), ":Root");
}

bool Root::addView(View* view) {
    if (!view || view->root || view->parent || view->getMessenger() || !views.append(view))
        return false;
    addHandler(view);
    view->root = this;
    view->context = &context;
    view->onAttach();
    return true;
}

bool Root::removeView(View* view) {
    if (!view || view->root != this || view->parent)
        return false;
    // The chain's reference may be the last one, and the view may leave from onFocusLost by itself.
    object::Pointer<View> held(view);
    if (view == focusView) {
        focusView = nullptr;
        view->onFocusLost();
        if (view->root != this)
            return true;
    }
    takeOut(view);
    return true;
}

void Root::removeAllViews() {
    if (View* view = focusView) {
        focusView = nullptr;
        view->onFocusLost();
    }
    hoverView = nullptr;
    while (View* view = views.getFirst())
        takeOut(view);
}

void Root::takeOut(View* view) {
    // The chain's reference may be the last one.
    object::Pointer<View> held(view);
    if (view == hoverView)
        hoverView = nullptr;
    view->onDetach();
    forget(view);
    view->root = nullptr;
    view->context = nullptr;
    views.remove(view);
    removeHandler(view);
}

void Root::forget(View* view) {
    if (focusView == view)
        focusView = nullptr;
    if (hoverView == view)
        hoverView = nullptr;
    // Messages still queued for the view would reach it after it is gone.
    application::MessageQueue kept;
    std::lock_guard guard(queueLock);
    while (application::Message* message = queue.popFront()) {
        if (message->target == view)
            message->release();
        else
            kept.pushBack(message);
    }
    while (application::Message* message = kept.popFront())
        queue.pushBack(message);
}

bool Root::setFocusView(View* view) {
    if (view && view->root != this)
        return false;
    object::Pointer<View> held(view);
    if (View* previous = focusView; previous && previous != view) {
        focusView = nullptr;
        previous->onFocusLost();
        // The callback may have taken the new focus view out of the root.
        if (view && view->root != this)
            return false;
    }
    focusView = view;
    return true;
}

template <typename Visit> bool Root::visitViews(bool backwards, Visit&& visit) {
    // A reference to every view of the chain as it is now: a callback may take any view out, its own
    // included, and drop the chain's last reference to it. Views taken out before their turn are passed
    // over; views added meanwhile wait for the next walk.
    std::vector<object::Pointer<View>> visiting;
    visiting.reserve(views.getCount());
    for (View* view = views.getFirst(); view; view = views.getNext(view))
        visiting.emplace_back(view);
    const size_t count = visiting.size();
    for (size_t k = 0; k < count; ++k) {
        View* view = visiting[backwards ? count - 1 - k : k].get();
        if (view->root == this && visit(view))
            return true;
    }
    return false;
}

void Root::draw() {
    context.begin();
    context.endPrimitive();
    glScissor(0, context.getHeight() - int32_t(size.height), int32_t(size.width), int32_t(size.height));
    visitViews(true, [&](View* view) {
        context.endPrimitive();
        const graphics::Transform<float>& t = view->getGlobalTransform();
        const float matrix[16] = {t.m00, t.m10, 0.0f, 0.0f, t.m01, t.m11, 0.0f, 0.0f,
                                  0.0f,  0.0f,  1.0f, 0.0f, t.tx,  t.ty,  0.0f, 1.0f};
        glLoadMatrixf(matrix);
        view->draw();
        return false;
    });
    context.end();
}

bool Root::deliver(application::Message* message, bool front) {
    {
        std::lock_guard guard(queueLock);
        if (front)
            queue.pushFront(message);
        else
            queue.pushBack(message);
    }
    if (hwnd)
        platform::postMessage(hwnd, DeliverMessages, 0, 0);
    return true;
}

bool Root::deliverSent(application::Message* message) {
    return deliver(message, true);
}

bool Root::deliverPosted(application::Message* message) {
    return deliver(message, false);
}

uint32_t Root::dispatchMessages() {
    uint32_t count = 0;
    for (;;) {
        application::Message* message;
        {
            std::lock_guard guard(queueLock);
            message = queue.popFront();
        }
        if (!message)
            return count;
        Delivered delivered{message};
        ++count;
        if (message->target)
            message->target->handleMessage(message);
    }
}

bool Root::onResize(const gui::Size& newSize) {
    size = newSize;
    const gui::Size change{size.width - previousSize.width, size.height - previousSize.height};
    if (change.width != 0.0f || change.height != 0.0f) {
        visitViews(false, [&](View* view) {
            if (gui::applyAnchors(view->frame, view->anchors, change))
                view->layout();
            return false;
        });
    }
    previousSize = size;
    return true;
}

bool Root::onActivate() {
    visitViews(false, [](View* view) {
        view->onActivate();
        return false;
    });
    return true;
}

bool Root::onDeactivate() {
    visitViews(false, [](View* view) {
        view->onDeactivate();
        return false;
    });
    return true;
}

bool Root::onMouseMove(const gui::Point& position, uint32_t state) {
    const bool taken = visitViews(false, [&](View* view) {
        if (!view->contains(position))
            return false;
        const gui::Point local = view->toLocal(position);
        if (view != hoverView) {
            if (View* previous = hoverView)
                previous->onMouseLeave();
            hoverView = view->root == this ? view : nullptr;
            view->onMouseEnter(local, state);
        }
        return view->onMouseMove(local, state);
    });
    if (taken)
        return true;
    if (View* previous = hoverView) {
        hoverView = nullptr;
        previous->onMouseLeave();
    }
    return false;
}

bool Root::onMouseButton(const gui::Point& position, uint32_t code) {
    return visitViews(false, [&](View* view) {
        return view->contains(position) && view->onMouseButton(view->toLocal(position), code);
    });
}

bool Root::onMouseEnter(const gui::Point& position, uint32_t state) {
    visitViews(false, [&](View* view) {
        return view->contains(position) && view->onMouseEnter(view->toLocal(position), state);
    });
    return true;
}

bool Root::onMouseLeave() {
    if (View* previous = hoverView) {
        hoverView = nullptr;
        previous->onMouseLeave();
    }
    return true;
}

Root* Root::fromHandle(platform::WindowHandle handle) {
    return reinterpret_cast<Root*>(platform::getWindowLongPtr(handle, platform::GWLP_USERDATA));
}

platform::Result Root::passOn(uint32_t message, platform::WParam wParam, platform::LParam lParam) {
    if (!hwnd || !previousProcedure)
        return platform::defWindowProc(hwnd, message, wParam, lParam);
    return platform::callWindowProc(previousProcedure, hwnd, message, wParam, lParam);
}

void Root::readSize() {
    platform::Rect client;
    if (platform::getClientRect(hwnd, client))
        size = {float(client.right - client.left), float(client.bottom - client.top)};
}

platform::Result Root::inputProcedure(platform::WindowHandle handle, uint32_t message,
                                      platform::WParam wParam, platform::LParam lParam) {
    using namespace platform;
    Root* root = fromHandle(handle);
    if (!root)
        return defWindowProc(handle, message, wParam, lParam);
    View* focus = root->focusView;
    switch (message) {
    case WM_SIZE:
        root->readSize();
        root->onResize(root->size);
        return root->passOn(message, wParam, lParam);
    case WM_KEYDOWN:
        if (lParam & KF_REPEAT)
            return 0;
        focus ? focus->onKeyDown(uint32_t(wParam)) : root->onKeyDown(uint32_t(wParam));
        return 0;
    case WM_KEYUP:
        focus ? focus->onKeyUp(uint32_t(wParam)) : root->onKeyUp(uint32_t(wParam));
        return 0;
    case WM_CHAR: {
        const uint32_t modifiers = gui::getCharacterModifiers();
        focus ? focus->onChar(uint32_t(wParam), modifiers) : root->onChar(uint32_t(wParam), modifiers);
        return 0;
    }
    case WM_MOUSEMOVE: {
        const gui::Point position = positionOf(lParam);
        const uint32_t state = gui::getMouseState(wParam);
        if (!root->hovering) {
            root->hovering = true;
            root->onMouseEnter(position, state);
            TrackMouseEvent request;
            request.flags = TME_LEAVE;
            request.window = handle;
            trackMouseEvent(request);
        }
        root->onMouseMove(position, state);
        return 0;
    }
    case WM_LBUTTONDOWN:
        root->onMouseButton(positionOf(lParam), gui::ButtonLeftDown);
        return 0;
    case WM_LBUTTONUP:
        root->onMouseButton(positionOf(lParam), gui::ButtonLeftUp);
        return 0;
    case WM_RBUTTONDOWN:
        root->onMouseButton(positionOf(lParam), gui::ButtonRightDown);
        return 0;
    case WM_RBUTTONUP:
        root->onMouseButton(positionOf(lParam), gui::ButtonRightUp);
        return 0;
    case WM_MBUTTONDOWN:
        root->onMouseButton(positionOf(lParam), gui::ButtonMiddleDown);
        return 0;
    case WM_MBUTTONUP:
        root->onMouseButton(positionOf(lParam), gui::ButtonMiddleUp);
        return 0;
    case WM_MOUSEWHEEL:
        return root->onMouseWheel(float(getWheelDelta(wParam)), gui::getMouseState(lowWord(wParam))) ? 1 : 0;
    case WM_MOUSELEAVE:
        root->hovering = false;
        root->onMouseLeave();
        return 0;
    case DeliverMessages:
        root->dispatchMessages();
        return 0;
    default:
        return root->passOn(message, wParam, lParam);
    }
}

platform::Result Root::sizeProcedure(platform::WindowHandle handle, uint32_t message, platform::WParam wParam,
                                     platform::LParam lParam) {
    Root* root = fromHandle(handle);
    if (!root)
        return platform::defWindowProc(handle, message, wParam, lParam);
    if (message == platform::WM_SIZE) {
        root->readSize();
        root->onResize(root->size);
    } else if (message == DeliverMessages) {
        root->dispatchMessages();
        return 0;
    }
    return root->passOn(message, wParam, lParam);
}

} // namespace korvane::gui3d
