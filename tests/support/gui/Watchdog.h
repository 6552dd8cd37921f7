#pragma once

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace korvane::testing {

// Ends the process when a test hangs, so that a deadlock fails the test at once instead of stalling the
// suite until its time-out; the stacks of every thread (through gdb, when it is there) show where.
class Watchdog {
public:
    explicit Watchdog(const char* what, std::chrono::seconds patience = std::chrono::seconds(60))
        : thread([this, what, patience] {
              std::unique_lock guard(mutex);
              if (!changed.wait_for(guard, patience, [this] { return done; })) {
                  std::fprintf(stderr, "watchdog: %s hangs\n", what);
                  const std::string stacks =
                      "gdb -p " + std::to_string(::getpid()) +
                      " -batch -ex 'thread apply all bt' 2>/dev/null | grep '^#\\|^Thread'";
                  if (std::system(stacks.c_str()) != 0)
                      std::fprintf(stderr, "(no stacks)\n");
                  std::_Exit(3);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard guard(mutex);
            done = true;
        }
        changed.notify_all();
        thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    std::thread thread;
};

} // namespace korvane::testing
