// What window data needs of the compositor: titles and where the pointer is.
#include <wayland-client.h>

#include "platform/unix/Backend.h"
#include "xdg-shell-client-protocol.h"

namespace korvane::platform::wayland {

void setTitle(WindowRecord* window) {
    if (window->toplevel) {
        xdg_toplevel_set_title(window->toplevel, window->title.c_str());
    }
}

void titleChanged(WindowRecord* window) {
    setTitle(window);
    window->connection->flush();
}

bool pointerOver(WindowRecord* window) {
    // Over this window's own surface (not over a child of it).
    return window->connection->pointerWindow == window;
}

} // namespace korvane::platform::wayland
