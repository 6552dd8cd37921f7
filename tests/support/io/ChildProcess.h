#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvane::test {

// The exit status a child gives when the system did not let it set up what it tests.
constexpr int SkippedInChild = 200;

// Runs body in a child process and returns its exit status, or -1 when it did not exit normally.
template <typename Body> int inChild(Body body) {
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a child: a mount namespace of its own, so that it may mount small file systems for a test without
// touching anyone else's view. False where that is not allowed.
inline bool privateMounts() {
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

} // namespace korvane::test
