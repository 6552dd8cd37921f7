#include "tools/xwindow/XWindows.h"

#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace korvane::tools {

namespace {

// Errors for windows that vanish between listing and asking are expected here; they are ignored while a
// helper runs and the previous handler comes back afterwards.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

struct ErrorTrap {
    explicit ErrorTrap(Display* display) : display(display), previous(XSetErrorHandler(ignoreErrors)) {}
    ~ErrorTrap() {
        XSync(display, False);
        XSetErrorHandler(previous);
    }
    Display* display;
    int (*previous)(Display*, XErrorEvent*);
};

::Window search(Display* display, ::Window window, const std::string& title) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        const bool match = title == name;
        XFree(name);
        if (match)
            return window;
    }
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return 0;
    ::Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = search(display, children[i], title);
    if (children)
        XFree(children);
    return found;
}

} // namespace

::Window findWindow(Display* display, const std::string& title) {
    ErrorTrap trap(display);
    return search(display, DefaultRootWindow(display), title);
}

::Window waitForWindow(Display* display, const std::string& title, int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (::Window window = findWindow(display, title)) {
            ErrorTrap trap(display);
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
                return window;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool windowSize(Display* display, ::Window window, int& width, int& height) {
    ErrorTrap trap(display);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

Picture capture(Display* display, ::Window window) {
    Picture picture;
    int width = 0, height = 0;
    if (!windowSize(display, window, width, height))
        return picture;
    // Read from the root window: what the screen shows there, child windows (the GL view) included.
    XImage* image = nullptr;
    {
        ErrorTrap trap(display);
        const ::Window root = DefaultRootWindow(display);
        int x = 0, y = 0;
        ::Window child = 0;
        if (XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child))
            image = XGetImage(display, root, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    }
    if (!image)
        return picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(size_t(width) * height * 3);
    auto channel = [](unsigned long pixel, unsigned long mask) {
        if (!mask)
            return uint8_t(0);
        int shift = __builtin_ctzl(mask);
        unsigned long maximum = mask >> shift;
        return uint8_t(((pixel & mask) >> shift) * 255 / maximum);
    };
    size_t at = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            picture.rgb[at++] = channel(pixel, image->red_mask);
            picture.rgb[at++] = channel(pixel, image->green_mask);
            picture.rgb[at++] = channel(pixel, image->blue_mask);
        }
    XDestroyImage(image);
    return picture;
}

bool requestClose(Display* display, ::Window window) {
    ErrorTrap trap(display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XFlush(display);
    return sent;
}

} // namespace korvane::tools
