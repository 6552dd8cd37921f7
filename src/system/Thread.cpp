#include "system/Thread.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "object/Exception.h"
#include "system/Mutex.h"

namespace korvane::system {

// The process-wide thread state. Built on first use, which static initialisation below makes happen on
// the main thread before the program's entry function runs, and never destroyed, so that threads still
// running while the process exits find it intact.
struct ThreadState {
    container::Chain<Thread> registry;
    Mutex lock;
    std::thread::id mainThread = std::this_thread::get_id();
};

namespace {

ThreadState& threadState() {
    static ThreadState* const state = new ThreadState;
    return *state;
}

thread_local Thread* currentThread = nullptr;

// An adopted thread other than the main thread gives its Thread back when it ends, so that foreign
// threads coming and going do not fill the registry.
struct Adoption {
    Thread* thread = nullptr;

    ~Adoption() {
        // Read once, before any other thread-local is touched: with emulated thread-local storage
        // (mingw-w64) this object's storage may already have been handed back when its destructor runs,
        // and the next thread-local written can take it over.
        Thread* const adopted = thread;
        if (!adopted)
            return;
        currentThread = nullptr;
        ThreadState& state = threadState();
        {
            std::lock_guard guard(state.lock);
            state.registry.remove(adopted);
        }
        adopted->release();
    }
};

thread_local Adoption adoption;

[[noreturn]] void endProcess() {
    std::fflush(stdout);
    std::_Exit(-1);
}

} // namespace

Thread::Thread(Function threadFunction) : threadFunction(threadFunction) {}

Thread::~Thread() {
    // The operating-system thread may still be leaving the start routine; a Thread destroyed on its own
    // thread (by the routine's last release) lets it finish on its own.
    if (handle.joinable()) {
        if (handle.get_id() == std::this_thread::get_id())
            handle.detach();
        else
            handle.join();
    }
}

bool Thread::start(bool waitUntilRunning) {
    if (isAlive())
        return true;
    std::unique_lock guard(control);
    if (isAlive())
        return true;
    // A previous run has returned; wait until its thread has also left the start routine, which still
    // unregisters it.
    if (handle.joinable())
        handle.join();

    addReference();
    ThreadState& state = threadState();
    {
        std::lock_guard registryGuard(state.lock);
        state.registry.append(this);
    }
    if (started.isSet())
        started.reset();
    const uint64_t generation = started.getGeneration();
    alive.store(true, std::memory_order_release);
    try {
        handle = std::thread(startRoutine, this);
    } catch (const std::system_error&) {
        alive.store(false, std::memory_order_release);
        {
            std::lock_guard registryGuard(state.lock);
            state.registry.remove(this);
        }
        release();
        return false;
    }
    guard.unlock();

    if (waitUntilRunning)
        started.waitSince(generation);
    return true;
}

bool Thread::join() {
    // Checked before taking the lock, which another thread may hold while it waits for this one.
    if (currentThread == this)
        return false;
    std::lock_guard guard(control);
    if (!handle.joinable() || handle.get_id() == std::this_thread::get_id())
        return false;
    handle.join();
    return true;
}

void Thread::startRoutine(Thread* thread) {
    thread->threadId.store(platform::currentThreadId(), std::memory_order_release);
    // The queue exists before anybody learns that the thread runs, so nothing posted to it is lost.
    platform::ensureMessageQueue();
    currentThread = thread;
    thread->started.set();

    try {
        thread->run();
    } catch (const object::Exception& exception) {
        const types::String message = exception.toString();
        std::fwrite(message.getText(), 1, message.getLength(), stdout);
        std::fputc('\n', stdout);
        endProcess();
    } catch (...) {
        endProcess();
    }

    if (thread->started.isSet())
        thread->started.reset();
    thread->threadId.store(0, std::memory_order_release);
    ThreadState& state = threadState();
    {
        std::lock_guard guard(state.lock);
        state.registry.remove(thread);
    }
    currentThread = nullptr;
    thread->alive.store(false, std::memory_order_release);
    thread->release();
}

Thread* Thread::getCurrent() {
    if (currentThread)
        return currentThread;

    ThreadState& state = threadState();
    const platform::ThreadId id = platform::currentThreadId();
    Thread* found = nullptr;
    {
        std::lock_guard guard(state.lock);
        for (Thread* thread : state.registry) {
            if (thread->getThreadId() == id) {
                found = thread;
                break;
            }
        }
    }
    if (found) {
        currentThread = found;
        return found;
    }
    return adopt();
}

Thread* Thread::adopt() {
    ThreadState& state = threadState();
    auto* thread = new Thread();
    thread->threadId.store(platform::currentThreadId(), std::memory_order_release);
    {
        std::lock_guard guard(state.lock);
        state.registry.append(thread);
    }
    currentThread = thread;
    // The creation reference stays with the thread; the main thread keeps its Thread for the whole process.
    if (std::this_thread::get_id() != state.mainThread)
        adoption.thread = thread;
    return thread;
}

bool Thread::run() {
    return threadFunction ? threadFunction(this) != 0 : true;
}

bool Thread::isRegistered() const {
    ThreadState& state = threadState();
    std::lock_guard guard(state.lock);
    return state.registry.contains(this);
}

types::String Thread::getClassPath() const {
    return types::String::concat(Object::getClassPath(), ":Thread");
}

namespace {

// Static initialisation runs on the main thread: it builds the thread state and adopts the main thread
// before the program's entry function runs.
[[maybe_unused]] Thread* const adoptedMainThread = Thread::getCurrent();

} // namespace

} // namespace korvane::system
