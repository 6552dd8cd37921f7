#include "platform/MessageQueue.h"

#include <atomic>

#include "platform/posix/ThreadQueue.h"

namespace korvane::platform {

ThreadId currentThreadId() {
    static std::atomic<ThreadId> lastId{0};
    thread_local ThreadId id = ++lastId;
    return id;
}

void ensureMessageQueue() {
    detail::currentQueue();
}

bool postThreadMessage(ThreadId thread, uint32_t message, WParam wParam, LParam lParam) {
    std::shared_ptr<detail::ThreadQueue> queue = detail::findQueue(thread);
    return queue && queue->post(Msg{nullptr, message, wParam, lParam});
}

bool getMessage(Msg& msg) {
    detail::currentQueue().next(msg, true, true);
    return msg.message != WM_QUIT;
}

bool peekMessage(Msg& msg, bool remove) {
    return detail::currentQueue().next(msg, remove, false);
}

void postQuitMessage(int exitCode) {
    detail::currentQueue().setQuit(exitCode);
}

} // namespace korvane::platform
