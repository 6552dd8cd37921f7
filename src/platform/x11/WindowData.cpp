// What window data needs of the X server: titles and where the pointer is.
#include "platform/unix/Backend.h"

namespace korvane::platform::x11 {

void setTitle(Connection& connection, WindowRecord* window) {
    if (window->parent) {
        return;
    }
    XStoreName(connection.display, window->xwindow, window->title.c_str());
    XChangeProperty(connection.display, window->xwindow, connection.netWmName, connection.utf8String, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(window->title.data()),
                    static_cast<int>(window->title.size()));
}

void titleChanged(WindowRecord* window) {
    setTitle(*window->connection, window);
    XFlush(window->connection->display);
}

bool pointerOver(WindowRecord* window) {
    ::Window rootReturn, child;
    int rootX, rootY, x, y;
    unsigned int mask;
    return XQueryPointer(window->connection->display, window->xwindow, &rootReturn, &child, &rootX, &rootY,
                         &x, &y, &mask) &&
           child == None && x >= 0 && y >= 0 && x < window->width && y < window->height;
}

} // namespace korvane::platform::x11
