#pragma once

#include "object/Object.h"
#include "platform/GL.h"
#include "platform/Window.h"

namespace korvane::gui {

/// Carries a window and its device context into paint operations. It never owns them: destroying a
/// context only forgets the handles.
class Context : public object::Object {
public:
    Context() = default;
    ~Context() override;

    platform::WindowHandle getWindow() const { return hwnd; }
    platform::DeviceContext getDeviceContext() const { return hdc; }
    void set(platform::WindowHandle window, platform::DeviceContext deviceContext) {
        hwnd = window;
        hdc = deviceContext;
    }
    void clear() { set(nullptr, nullptr); }

    types::String getClassPath() const override;

private:
    platform::WindowHandle hwnd = nullptr;
    platform::DeviceContext hdc = nullptr;
};

} // namespace korvane::gui
