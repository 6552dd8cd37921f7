// GL contexts and device contexts: the registry of live contexts, the current context of each thread and
// the checks every Unix backend makes alike; the native contexts (GLX, EGL) are the backend's.
#include <algorithm>
#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <mutex>
#include <unordered_set>

#include "platform/File.h"
#include "platform/GL.h"
#include "platform/unix/Backend.h"

namespace korvane::platform {

namespace {

// Every live context; contexts die with their connection, so handles are checked before use.
struct ContextRegistry {
    std::mutex mutex;
    std::unordered_set<GLContextRecord*> contexts;
};

ContextRegistry& contextRegistry() {
    static ContextRegistry* instance = new ContextRegistry;
    return *instance;
}

thread_local GLContextRecord* currentContext = nullptr;
thread_local DeviceContextRecord* currentDC = nullptr;

using backend::onOwner;
using backend::windowOf;

GLContextRecord* liveContext(GLContext context) {
    ContextRegistry& registry = contextRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.contexts.count(context) ? context : nullptr;
}

bool release() {
    if (!currentContext) {
        return true;
    }
    backend::releaseNativeContext(currentContext);
    currentContext = nullptr;
    currentDC = nullptr;
    return true;
}

// Takes a context out of the registry and destroys it (its connection's list is the caller's).
void destroyContext(GLContextRecord* context) {
    {
        ContextRegistry& registry = contextRegistry();
        std::lock_guard lock(registry.mutex);
        registry.contexts.erase(context);
    }
    backend::destroyNativeContext(context);
    delete context;
}

} // namespace

WindowRecord* backend::windowOf(DeviceContext dc) {
    WindowRegistry& registry = windowRegistry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.deviceContexts.find(dc);
    return found == registry.deviceContexts.end() ? nullptr : found->second;
}

void backend::destroyContexts(Connection& connection) {
    if (currentContext && currentContext->connection == &connection) {
        release();
    }
    for (GLContextRecord* context : connection.contexts) {
        destroyContext(context);
    }
    connection.contexts.clear();
}

void backend::releaseIfCurrent(WindowRecord* window) {
    if (currentDC && currentDC->window == window) {
        release();
    }
}

DeviceContext getDC(WindowHandle window) {
    return isWindow(window) ? &window->dc : nullptr;
}

void releaseDC(WindowHandle, DeviceContext) {}

WindowHandle windowFromDC(DeviceContext dc) {
    return windowOf(dc);
}

int getPixelFormat(DeviceContext dc) {
    return onOwner(dc, 0, [](WindowRecord* window) { return window->dc.pixelFormat; });
}

GLContext createContext(DeviceContext dc) {
    return onOwner(dc, GLContext(nullptr), [](WindowRecord* window) -> GLContext {
        backend::NativeContext native{};
        if (!backend::createNativeContext(window, native)) {
            return nullptr;
        }
        auto* context =
            new GLContextRecord{window->connection, currentThreadId(), window->dc.pixelFormat, native};
        window->connection->contexts.push_back(context);
        ContextRegistry& registry = contextRegistry();
        std::lock_guard lock(registry.mutex);
        registry.contexts.insert(context);
        return context;
    });
}

bool deleteContext(GLContext context) {
    // Only the owning thread may touch its connection; a context that died with it is already gone.
    if (!liveContext(context) || context->thread != currentThreadId()) {
        return false;
    }
    if (currentContext == context) {
        release();
    }
    std::erase(context->connection->contexts, context);
    destroyContext(context);
    return true;
}

bool makeCurrent(DeviceContext dc, GLContext context) {
    if (!context) {
        return release();
    }
    WindowRecord* window = backend::ownedWindow(windowOf(dc));
    if (!window || !liveContext(context) || context->thread != currentThreadId() ||
        context->format != window->dc.pixelFormat || context->connection != window->connection ||
        !backend::makeNativeCurrent(window, context)) {
        return false;
    }
    currentContext = context;
    currentDC = &window->dc;
    return true;
}

GLContext getCurrentContext() {
    return currentContext;
}

DeviceContext getCurrentDC() {
    return currentDC;
}

long long backend::scorePixelFormat(const PixelFormatDescriptor& request, const PixelFormatDescriptor& have,
                                    bool caveat, int samples) {
    long long result = 0;
    if (request.pixelType != have.pixelType) {
        return LLONG_MAX;
    }
    if ((request.flags & PFD_DOUBLEBUFFER) != (have.flags & PFD_DOUBLEBUFFER)) {
        result += 1LL << 40;
    }
    if ((request.flags & PFD_STEREO) != (have.flags & PFD_STEREO)) {
        result += 1LL << 39;
    }
    auto planes = [&](int asked, int got, long long missing) {
        if (got < asked) {
            result += (got == 0 ? missing * 64 : missing) * (asked - got);
        } else {
            result += got - asked;
        }
    };
    planes(std::min<int>(request.colorBits, 24), have.colorBits, 1LL << 24);
    planes(request.alphaBits, have.alphaBits, 1LL << 24);
    planes(request.depthBits, have.depthBits, 1LL << 24);
    planes(request.stencilBits, have.stencilBits, 1LL << 24);
    planes(request.accumBits, have.accumBits, 1LL << 16);
    planes(request.auxBuffers, have.auxBuffers, 1LL << 16);
    if (caveat) {
        result += 1LL << 20;
    }
    result += static_cast<long long>(samples) << 12;
    return result;
}

void backend::keepDriverLoaded(const char* library) {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* name) {
            if (info->dlpi_name && (std::strstr(info->dlpi_name, "_dri.so") ||
                                    std::strstr(info->dlpi_name, static_cast<const char*>(name))))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        const_cast<char*>(library));
}

} // namespace korvane::platform
