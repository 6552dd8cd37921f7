#include "gui/View.h"

#include <mutex>

#include "gui/Input.h"
#include "gui/Messages.h"
#include "gui/Window.h"

namespace korvane::gui {

namespace {

std::once_flag viewClassRegistered;

platform::Result handled(bool result) {
    return result ? 0 : -1;
}

} // namespace

View::View(const Rectangle& frame) : bounds{0.0f, 0.0f, frame.width, frame.height}, frame(frame) {
    updateTransform();
}

View::~View() {
    // A view still in a window is held by the window's chain, so this only happens when the chain was
    // bypassed; at least the child window must not outlive the view.
    if (getHandle())
        View::detach();
}

types::String View::getClassPath() const {
    return types::String::concat(Handler::getClassPath(), ":View");
}

void View::registerClass() {
    std::call_once(viewClassRegistered, [] {
        platform::WindowClass windowClass;
        windowClass.style = platform::CS_OWNDC;
        windowClass.procedure = &View::procedure;
        windowClass.windowExtra = sizeof(View*);
        windowClass.name = ClassName;
        platform::registerClass(windowClass);
    });
}

View* View::fromHandle(platform::WindowHandle handle) {
    return reinterpret_cast<View*>(platform::getWindowLongPtr(handle, 0));
}

void View::updateTransform() {
    const graphics::Transform<float> placed =
        graphics::Transform<float>::translate(localTransform, frame.x, frame.y);
    globalTransform = parent ? graphics::Transform<float>::compose(parent->globalTransform, placed) : placed;
}

void View::setLocalTransform(const graphics::Transform<float>& transform) {
    localTransform = transform;
    updateTransform();
}

bool View::setParent(View* view) {
    if (view == this || getWindow() || getHandle())
        return false;
    parent = view;
    updateTransform();
    return true;
}

void View::layout() {
    const graphics::Transform<float>& m = localTransform;
    const float det = m.m00 * m.m11 - m.m10 * m.m01;
    // A singular transform has no inverse: the bounds keep their last value.
    if (det != 0.0f)
        bounds = {-m.tx * m.m11 / det, -m.ty * m.m00 / det, frame.width * m.m11 / det,
                  frame.height * m.m00 / det};
    updateTransform();

    Window* owner = getWindow();
    const platform::WindowHandle handle = getHandle();
    if (owner && owner->getThread() && handle) {
        platform::setWindowPos(handle, nullptr, int32_t(frame.x), int32_t(frame.y), int32_t(frame.width),
                               int32_t(frame.height), platform::SWP_NOCOPYBITS | platform::SWP_NOZORDER);
    } else {
        onFrameChanged(frame);
    }
}

void View::setFrame(const Rectangle& rectangle) {
    auto work = [this, rectangle] {
        frame = rectangle;
        layout();
        return true;
    };
    if (Window* owner = getWindow())
        owner->callOnWindowThread(work);
    else
        work();
}

bool View::invalidate() {
    const platform::WindowHandle handle = getHandle();
    return getWindow() && handle && platform::invalidateRect(handle, nullptr, true);
}

bool View::paint(const Context&, const Rectangle&) {
    return true;
}

bool View::attach() {
    Window* owner = getWindow();
    if (getHandle() || (!owner && !parent))
        return false;
    const platform::WindowHandle parentHandle = parent ? parent->getHandle() : owner->getHandle();
    if (!parentHandle)
        return false;

    const graphics::Transform<float>& m = localTransform;
    const int32_t x = int32_t(frame.x + (m.m00 * bounds.x + m.m01 * bounds.y + m.tx));
    const int32_t y = int32_t(frame.y + (m.m10 * bounds.x + m.m11 * bounds.y + m.ty));
    const int32_t width = int32_t(m.m00 * bounds.width + m.m01 * bounds.height);
    const int32_t height = int32_t(m.m10 * bounds.width + m.m11 * bounds.height);

    registerClass();
    const platform::WindowHandle handle =
        platform::createWindow(0, ClassName, "view", platform::WS_CHILD | platform::WS_VISIBLE, x, y, width,
                               height, parentHandle, this);
    if (!handle)
        return false;
    const platform::DeviceContext dc = platform::getDC(handle);
    if (!dc) {
        platform::destroyWindow(handle);
        return false;
    }
    hdc = dc;
    context.set(handle, dc);
    hovering = false;
    hwnd.store(handle, std::memory_order_release);
    return true;
}

bool View::detach() {
    const platform::WindowHandle handle = getHandle();
    if (!handle || !hdc)
        return false;
    platform::releaseDC(handle, hdc);
    platform::destroyWindow(handle);
    hwnd.store(nullptr, std::memory_order_release);
    hdc = nullptr;
    context.clear();
    hovering = false;
    return true;
}

platform::Result View::procedure(platform::WindowHandle handle, uint32_t message, platform::WParam wParam,
                                 platform::LParam lParam) {
    using namespace platform;
    if (message == WM_CREATE) {
        const auto* creation = reinterpret_cast<const CreateStruct*>(lParam);
        setWindowLongPtr(handle, 0, reinterpret_cast<intptr_t>(creation->createParams));
        return 0;
    }
    View* view = fromHandle(handle);
    if (!view)
        return defWindowProc(handle, message, wParam, lParam);

    if (const std::optional<detail::InputMessage> input = detail::decodeInput(message, wParam, lParam)) {
        using Kind = detail::InputMessage::Kind;
        switch (input->kind) {
        case Kind::KeyDown:
            return handled(view->onKeyDown(input->code));
        case Kind::KeyRepeat:
            return -1;
        case Kind::KeyUp:
            return handled(view->onKeyUp(input->code));
        case Kind::Character:
            return handled(view->onChar(input->code, input->state));
        case Kind::MouseMove:
            if (!view->hovering) {
                view->hovering = true;
                view->onMouseEnter(input->position, input->state);
                TrackMouseEvent request;
                request.flags = TME_LEAVE;
                request.window = handle;
                trackMouseEvent(request);
            }
            return handled(view->onMouseMove(input->position, input->state));
        case Kind::MouseButton:
            return handled(view->onMouseButton(input->position, input->code));
        case Kind::MouseWheel:
            return view->onMouseWheel(input->delta, input->state) ? 1 : 0;
        }
    }

    switch (message) {
    case WM_MOVE: {
        view->frame.x = float(getXLParam(lParam));
        view->frame.y = float(getYLParam(lParam));
        // The size may have changed in the same step, with its own notification still to come: report
        // the frame as the window is now, so that nobody resizes it back to the old size.
        Rect client;
        if (getClientRect(handle, client)) {
            view->frame.width = float(client.right - client.left);
            view->frame.height = float(client.bottom - client.top);
        }
        view->onFrameChanged(view->frame);
        return 0;
    }
    case WM_SIZE:
        view->frame.width = float(lowWord(uintptr_t(lParam)));
        view->frame.height = float(highWord(uintptr_t(lParam)));
        view->onFrameChanged(view->frame);
        return 0;
    case WM_PAINT:
        detail::paintMessage(handle, [&](const Rectangle& area) { view->paint(view->context, area); });
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSELEAVE:
        view->hovering = false;
        view->onMouseLeave();
        return 0;
    case WM_QUERYNEWPALETTE:
        return 0;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<WindowHandle>(wParam) != handle)
            return 0;
        return defWindowProc(handle, message, wParam, lParam);
    case WM_NCDESTROY:
        setWindowLongPtr(handle, 0, 0);
        return defWindowProc(handle, message, wParam, lParam);
    default:
        return defWindowProc(handle, message, wParam, lParam);
    }
}

} // namespace korvane::gui
