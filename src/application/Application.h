#pragma once

#include "application/MessageQueue.h"
#include "application/Messenger.h"
#include "object/Pointer.h"
#include "system/Mutex.h"
#include "system/Signal.h"

namespace korvane::application {

/// The messenger whose route is the loop of run(), on the thread that calls it (the main thread). There is
/// one application per process, reachable through getApplication().
/// run() on the main thread; post and send to it from any thread.
class Application : public Messenger {
public:
    Application();
    ~Application() override;

    /// Calls onStart, then handles messages until MessageQuit addressed to the application arrives; then
    /// calls onStop and returns true. Posts and sends succeed only once the loop has started.
    bool run();

    virtual bool onStart() { return true; }
    virtual bool onStop() { return true; }

    bool deliverSent(Message* message) override;
    bool deliverPosted(Message* message) override;
    bool isLooper() const override { return false; }

    static Application* getApplication();

    types::String getClassPath() const override;

private:
    MessageQueue queue;
    system::Mutex queueLock;
    system::Signal wakeUp;
    // The loop's thread, held while it is the route: it may end before the application.
    object::Pointer<system::Thread> loopThread;
};

} // namespace korvane::application
