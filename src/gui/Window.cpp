#include "gui/Window.h"

#include <algorithm>
#include <mutex>

#include "gui/Input.h"
#include "gui/Messages.h"

namespace korvane::gui {

namespace {

// Window message that runs a function on the window thread: lParam points to a std::function<bool()>.
// The procedure answers 2 for a true result and 1 for false, so 0 means it never ran.
constexpr uint32_t WindowCall = platform::WM_USER + 0x200;

std::once_flag windowClassRegistered;

platform::Rect outerRectangle(const Rectangle& client, uint32_t style) {
    platform::Rect outer{int32_t(client.x), int32_t(client.y), int32_t(client.x + client.width),
                         int32_t(client.y + client.height)};
    platform::adjustWindowRectEx(outer, style, false, platform::WS_EX_CLIENTEDGE);
    return outer;
}

// The window whose loop this thread runs. Asking it, rather than the window's thread object, keeps a
// close on another thread from reading a thread object that a concurrent close has just let go of.
thread_local const Window* loopingWindow = nullptr;

} // namespace

Window::Window() = default;

Window::~Window() {
    system::Thread* thread = getThread();
    if (thread && thread->isAlive() && isCreated())
        close();
    removeAllViews();
}

types::String Window::getClassPath() const {
    return types::String::concat(Looper::getClassPath(), ":Window");
}

void Window::registerClass() {
    std::call_once(windowClassRegistered, [] {
        platform::WindowClass windowClass;
        windowClass.style = platform::CS_VREDRAW | platform::CS_HREDRAW | platform::CS_OWNDC;
        windowClass.procedure = &Window::procedure;
        windowClass.name = ClassName;
        platform::registerClass(windowClass);
    });
}

bool Window::onWindowThread() const {
    return loopingWindow == this;
}

bool Window::callOnWindowThread(const std::function<bool()>& work) {
    for (;;) {
        if (onWindowThread())
            return work();
        platform::WindowHandle handle;
        {
            // Without a window the work runs here, under the lock that creation takes while it reads the
            // fields: it sees either all of the work or none of it.
            std::lock_guard guard(fields);
            handle = getHandle();
            if (!isCreated() || !handle)
                return work();
        }
        const platform::Result result =
            platform::sendMessage(handle, WindowCall, 0, reinterpret_cast<platform::LParam>(&work));
        if (result != 0)
            return result == 2;
        // Not delivered: the window was destroyed meanwhile; go again with the new state unless nothing
        // has changed.
        if (isCreated() && getHandle() == handle)
            return false;
    }
}

void Window::setTitle(const types::String& text) {
    callOnWindowThread([this, &text] {
        {
            std::lock_guard guard(fields);
            title = text;
        }
        if (platform::WindowHandle handle = getHandle(); handle && isCreated())
            platform::setWindowText(handle, text.getText());
        return true;
    });
}

types::String Window::getTitle() const {
    std::lock_guard guard(fields);
    return title;
}

Rectangle Window::getFrame() const {
    std::lock_guard guard(fields);
    return frame;
}

Size Window::getMinimumSize() const {
    std::lock_guard guard(fields);
    return minimumSize;
}

Size Window::getMaximumSize() const {
    std::lock_guard guard(fields);
    return maximumSize;
}

void Window::setSize(const Size& size) {
    callOnWindowThread([this, size] {
        if (!isCreated()) {
            {
                std::lock_guard guard(fields);
                frame.width = size.width;
                frame.height = size.height;
            }
            onResize(getFrame());
            return true;
        }
        // The size notification sets the frame to the size the window really gets (its tracking sizes
        // may limit it).
        const platform::Rect outer = outerRectangle({frame.x, frame.y, size.width, size.height}, style);
        platform::setWindowPos(getHandle(), nullptr, outer.left, outer.top, outer.right - outer.left,
                               outer.bottom - outer.top,
                               platform::SWP_NOCOPYBITS | platform::SWP_NOZORDER | platform::SWP_NOMOVE);
        return true;
    });
}

void Window::setMinimumSize(const Size& size) {
    callOnWindowThread([this, size] {
        std::lock_guard guard(fields);
        minimumSize = size;
        return true;
    });
}

void Window::setMaximumSize(const Size& size) {
    callOnWindowThread([this, size] {
        std::lock_guard guard(fields);
        maximumSize = size;
        return true;
    });
}

void Window::stateChanged() {
    signal.pulse();
}

void Window::waitUntil(const std::function<bool()>& done) {
    for (;;) {
        // Taken before looking, so that a change between the look and the wait is not missed.
        const uint64_t generation = signal.getGeneration();
        if (done())
            return;
        signal.waitSince(generation);
    }
}

bool Window::open() {
    // The window thread runs already when the window itself asks.
    if (onWindowThread())
        return false;
    std::lock_guard guard(control);
    if (system::Thread* thread = getThread()) {
        if (thread->isAlive())
            return false;
        // The thread ended after the window closed itself from its own thread: collect it.
        quit();
        if (getThread())
            return false;
    }
    if (isCreated() || !start())
        return false;
    looping.store(true, std::memory_order_release);
    const uint64_t attempts = creations.load(std::memory_order_acquire);
    if (send(this, application::MessageWindowCreate)) {
        waitUntil([&] {
            return creations.load(std::memory_order_acquire) != attempts ||
                   !looping.load(std::memory_order_acquire);
        });
    }
    if (!isCreated()) {
        // Creation failed: stop the thread so that a later open() can try again.
        quit();
        return false;
    }
    return true;
}

bool Window::close() {
    if (onWindowThread()) {
        // From the window's own callbacks the request is carried out at once; the loop ends when control
        // returns to it.
        if (!isCreated())
            return false;
        destroy();
        quit();
        return true;
    }
    std::lock_guard guard(control);
    if (!getThread())
        return false;
    const bool wasCreated = isCreated();
    if (wasCreated) {
        // If the window thread closes the window itself meanwhile, or its loop ends first, the request is
        // dropped or finds nothing to do; either way the window is gone when the wait returns.
        send(this, application::MessageWindowDestroy);
        waitUntil([&] { return !isCreated(); });
    }
    // Also collects a thread whose window closed itself.
    quit();
    return wasCreated;
}

void Window::loop() {
    loopingWindow = this;
    Looper::loop();
    // The loop can end without a destroy request (quit() called directly): the window and its views'
    // child windows and GL contexts must not outlive the thread that owns them. Either way, release a
    // caller whose request was dropped behind the quit message.
    if (isCreated())
        destroy();
    looping.store(false, std::memory_order_release);
    stateChanged();
    loopingWindow = nullptr;
}

void Window::create() {
    if (isCreated()) {
        creations.fetch_add(1, std::memory_order_acq_rel);
        stateChanged();
        return;
    }
    registerClass();
    // The tracking sizes are asked before the window knows this object, so the size it opens with is held
    // to them here, with the views laid out for it, as a resize of the open window would be.
    bool held = false;
    {
        std::lock_guard guard(fields);
        const auto hold = [](float value, float low, float high) {
            if (high >= low)
                value = std::min(value, high);
            return std::max(value, low);
        };
        // The limits are the whole window's, frame included, as the window procedure reports them.
        const platform::Rect border = outerRectangle({0, 0, 0, 0}, Style);
        const float borderWidth = float(border.right - border.left);
        const float borderHeight = float(border.bottom - border.top);
        const float outerWidth = frame.width + borderWidth, outerHeight = frame.height + borderHeight;
        const float width = hold(outerWidth, minimumSize.width, maximumSize.width);
        const float height = hold(outerHeight, minimumSize.height, maximumSize.height);
        held = width != outerWidth || height != outerHeight;
        if (held) {
            frame.width = width - borderWidth;
            frame.height = height - borderHeight;
        }
    }
    if (held)
        onResize(getFrame());
    {
        // Setters on other threads wait until the window exists and then hand their values over.
        std::lock_guard guard(fields);
        style = Style;
        const platform::Rect outer = outerRectangle(frame, style);
        const platform::WindowHandle handle = platform::createWindow(
            platform::WS_EX_CLIENTEDGE, ClassName, title.getText(), style, platform::CW_USEDEFAULT,
            platform::CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr, this);
        const platform::DeviceContext dc = handle ? platform::getDC(handle) : nullptr;
        if (!dc) {
            if (handle)
                platform::destroyWindow(handle);
            creations.fetch_add(1, std::memory_order_acq_rel);
            stateChanged();
            return;
        }

        platform::Rect client;
        platform::getClientRect(handle, client);
        platform::Point origin{client.left, client.top};
        platform::clientToScreen(handle, origin);
        frame = {float(origin.x), float(origin.y), float(client.right - client.left),
                 float(client.bottom - client.top)};
        hdc = dc;
        context.set(handle, dc);
        hwnd.store(handle, std::memory_order_release);
        focusView = nullptr;
        created.store(true, std::memory_order_release);
    }
    const platform::WindowHandle handle = getHandle();

    // The views are attached and the window shown before open() returns, so that the caller finds every
    // child window in place and never races the attachment.
    attachViews();
    platform::showWindow(handle, platform::SW_SHOW);
    platform::updateWindow(handle);
    creations.fetch_add(1, std::memory_order_acq_rel);
    stateChanged();
}

void Window::destroy() {
    // A second request (the window closing itself while another thread closes it) finds nothing to do.
    if (isCreated()) {
        detachViews();
        std::lock_guard guard(fields);
        if (platform::WindowHandle handle = getHandle()) {
            if (hdc) {
                platform::releaseDC(handle, hdc);
                hdc = nullptr;
            }
            if (platform::destroyWindow(handle)) {
                hwnd.store(nullptr, std::memory_order_release);
                context.clear();
            }
        }
        created.store(false, std::memory_order_release);
        focusView = nullptr;
    }
    stateChanged();
}

bool Window::handleMessage(application::Message* message) {
    switch (message->what) {
    case application::MessageWindowCreate:
        create();
        return true;
    case application::MessageWindowDestroy:
        destroy();
        return true;
    case application::MessageViewPaint:
    case application::MessageViewFrame: {
        const application::Message::Parameter* parameter = message->findParameter("view");
        View* view = parameter ? static_cast<View*>(parameter->value) : nullptr;
        // Only views of this window: anything else is not known to be a live view.
        if (!view || !views.contains(view))
            return true;
        if (message->what == application::MessageViewFrame) {
            view->onFrameChanged(view->frame);
        } else if (platform::WindowHandle handle = getHandle()) {
            platform::PaintStruct paint;
            platform::beginPaint(handle, paint);
            view->paint(context, view->bounds);
            platform::endPaint(handle, paint);
        }
        return true;
    }
    default:
        return Looper::handleMessage(message);
    }
}

bool Window::addView(View* view) {
    if (!view || view->getWindow() || view->parent || view->getMessenger())
        return false;
    return callOnWindowThread([this, view] { return insertView(view); });
}

bool Window::insertView(View* view) {
    Window* none = nullptr;
    if (view->parent || view->getMessenger() || !view->window.compare_exchange_strong(none, this))
        return false;
    views.append(view);
    addHandler(view);
    if (isCreated())
        view->attach();
    return true;
}

bool Window::removeView(View* view) {
    if (!view || view->getWindow() != this || view->parent)
        return false;
    return callOnWindowThread([this, view] { return takeOutView(view); });
}

bool Window::takeOutView(View* view) {
    if (view->getWindow() != this || view->parent)
        return false;
    if (view == focusView) {
        focusView = nullptr;
        view->onFocusLost();
    }
    if (isCreated())
        view->detach();
    // The chain's reference may be the last one.
    view->addReference();
    view->window.store(nullptr, std::memory_order_release);
    views.remove(view);
    removeHandler(view);
    view->release();
    return true;
}

void Window::removeAllViews() {
    callOnWindowThread([this] {
        if (View* view = focusView) {
            focusView = nullptr;
            view->onFocusLost();
        }
        while (View* view = views.getFirst()) {
            if (!takeOutView(view))
                views.remove(view);
        }
        return true;
    });
}

bool Window::setFocusView(View* view) {
    return callOnWindowThread([this, view] {
        if (view && view->getWindow() != this)
            return false;
        if (focusView && focusView != view)
            focusView->onFocusLost();
        focusView = view;
        return true;
    });
}

bool Window::attachViews() {
    for (View* view : views)
        view->attach();
    return true;
}

bool Window::detachViews() {
    for (View* view : views)
        view->detach();
    return true;
}

bool Window::onClose() {
    close();
    return true;
}

bool Window::onActivate() {
    for (View* view : views)
        view->onActivate();
    return true;
}

bool Window::onDeactivate() {
    for (View* view : views)
        view->onDeactivate();
    return true;
}

bool Window::onMove(const Point&) {
    previousFrame = frame;
    return true;
}

bool Window::onResize(const Rectangle&) {
    const Size change{frame.width - previousFrame.width, frame.height - previousFrame.height};
    if (change.width != 0.0f || change.height != 0.0f) {
        for (View* view : views) {
            if (applyAnchors(view->frame, view->anchors, change))
                view->layout();
        }
    }
    previousFrame = frame;
    return true;
}

bool Window::onPaint(const Context&, const Rectangle&) {
    return true;
}

bool Window::onKeyDown(uint32_t) {
    return true;
}

bool Window::onKeyUp(uint32_t) {
    return true;
}

bool Window::onChar(uint32_t, uint32_t) {
    return true;
}

bool Window::onMouseMove(const Point&, uint32_t) {
    return true;
}

bool Window::onMouseButton(const Point&, uint32_t) {
    return true;
}

bool Window::onMouseWheel(float delta, uint32_t state) {
    return focusView ? focusView->onMouseWheel(delta, state) : false;
}

platform::Result Window::procedure(platform::WindowHandle handle, uint32_t message, platform::WParam wParam,
                                   platform::LParam lParam) {
    using namespace platform;
    if (message == WM_CREATE) {
        const auto* creation = reinterpret_cast<const CreateStruct*>(lParam);
        setWindowLongPtr(handle, GWLP_USERDATA, reinterpret_cast<intptr_t>(creation->createParams));
        return 0;
    }
    auto* window = reinterpret_cast<Window*>(getWindowLongPtr(handle, GWLP_USERDATA));
    if (!window)
        return message == WM_GETMINMAXINFO ? 1 : defWindowProc(handle, message, wParam, lParam);

    if (const std::optional<detail::InputMessage> input = detail::decodeInput(message, wParam, lParam)) {
        // Keys and characters go to the focus view when there is one, the pointer to the window.
        View* focus = window->focusView;
        using Kind = detail::InputMessage::Kind;
        switch (input->kind) {
        case Kind::KeyDown:
            focus ? focus->onKeyDown(input->code) : window->onKeyDown(input->code);
            return 0;
        case Kind::KeyRepeat:
            return 0;
        case Kind::KeyUp:
            focus ? focus->onKeyUp(input->code) : window->onKeyUp(input->code);
            return 0;
        case Kind::Character:
            focus ? focus->onChar(input->code, input->state) : window->onChar(input->code, input->state);
            return 0;
        case Kind::MouseMove:
            window->onMouseMove(input->position, input->state);
            return 0;
        case Kind::MouseButton:
            window->onMouseButton(input->position, input->code);
            return 0;
        case Kind::MouseWheel:
            return window->onMouseWheel(input->delta, input->state) ? 1 : 0;
        }
    }

    switch (message) {
    case WM_MOVE: {
        Rect client;
        getClientRect(handle, client);
        platform::Point origin{client.left, client.top};
        clientToScreen(handle, origin);
        {
            std::lock_guard guard(window->fields);
            window->frame.x = float(origin.x);
            window->frame.y = float(origin.y);
        }
        window->onMove({float(origin.x), float(origin.y)});
        return 0;
    }
    case WM_SIZE: {
        Rect client;
        getClientRect(handle, client);
        {
            std::lock_guard guard(window->fields);
            window->frame.width = float(client.right - client.left);
            window->frame.height = float(client.bottom - client.top);
        }
        window->onResize(window->getFrame());
        return 0;
    }
    case WM_ACTIVATE: {
        const uint32_t state = lowWord(wParam);
        if (state == WA_ACTIVE || state == WA_CLICKACTIVE)
            window->onActivate();
        else
            window->onDeactivate();
        return 0;
    }
    case WM_PAINT:
        detail::paintMessage(handle, [&](const Rectangle& area) { window->onPaint(window->context, area); });
        return 0;
    case WM_CLOSE:
        window->onClose();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MinMaxInfo*>(lParam);
        info->minTrackSize = {int32_t(window->minimumSize.width), int32_t(window->minimumSize.height)};
        info->maxTrackSize = {int32_t(window->maximumSize.width), int32_t(window->maximumSize.height)};
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        // True-colour displays only: the window never has a palette to realise.
        return 0;
    case WM_NCDESTROY:
        setWindowLongPtr(handle, GWLP_USERDATA, 0);
        return defWindowProc(handle, message, wParam, lParam);
    case WindowCall:
        return (*reinterpret_cast<const std::function<bool()>*>(lParam))() ? 2 : 1;
    default:
        return defWindowProc(handle, message, wParam, lParam);
    }
}

} // namespace korvane::gui
