#include "platform/MessageQueue.h"

#include "platform/win32/Win32.h"

namespace korvane::platform {

using namespace win32;

namespace win32 {

namespace {
// Thread-locals here hold only plain values: mingw-w64's emulated thread-local storage may release a
// thread's storage before the destructors of its thread-locals run. The held exception lives on the heap
// from the moment it is held until it is thrown again, within the same call.
thread_local std::exception_ptr* heldException = nullptr;
} // namespace

void holdException(std::exception_ptr exception) {
    // The first one wins: later ones are usually consequences of it.
    if (!heldException) {
        heldException = new std::exception_ptr(std::move(exception));
    }
}

void rethrowHeldException() {
    if (heldException) {
        std::exception_ptr exception = std::move(*heldException);
        delete heldException;
        heldException = nullptr;
        std::rethrow_exception(exception);
    }
}

} // namespace win32

ThreadId currentThreadId() {
    return GetCurrentThreadId();
}

void ensureMessageQueue() {
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

bool postThreadMessage(ThreadId thread, uint32_t message, WParam wParam, LParam lParam) {
    // No thread has the identifier 0 (Wine would accept a post to it).
    if (thread == 0) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return false;
    }
    return PostThreadMessageA(static_cast<DWORD>(thread), message, wParam, lParam) != FALSE;
}

bool getMessage(Msg& msg) {
    MSG out{};
    const BOOL result = GetMessageA(&out, nullptr, 0, 0);
    rethrowHeldException();
    if (result == -1) {
        // Only an invalid filter window fails; there is none here, so treat it as the end of the loop.
        msg = Msg{nullptr, WM_QUIT, 0, 0};
        return false;
    }
    msg = fromMsg(out);
    return result != FALSE;
}

bool peekMessage(Msg& msg, bool remove) {
    MSG out{};
    const BOOL found = PeekMessageA(&out, nullptr, 0, 0, remove ? PM_REMOVE : PM_NOREMOVE);
    rethrowHeldException();
    if (found) {
        msg = fromMsg(out);
    }
    return found != FALSE;
}

void postQuitMessage(int exitCode) {
    PostQuitMessage(exitCode);
}

Result dispatchMessage(const Msg& msg) {
    const MSG in = toMsg(msg);
    const LRESULT result = DispatchMessageA(&in);
    rethrowHeldException();
    return result;
}

void translateMessage(const Msg& msg) {
    const MSG in = toMsg(msg);
    TranslateMessage(&in);
}

} // namespace korvane::platform
