#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The processes of session `session` other than its leader.
std::vector<pid_t> sessionMembers(pid_t session) {
    std::vector<pid_t> members;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return members;
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t pid = pid_t(std::atoi(entry->d_name));
        if (pid <= 0 || pid == session)
            continue;
        std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        // pid (name) state ppid pgrp session ...; the name may hold spaces and parentheses.
        const size_t close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(text.substr(close + 1));
        std::string state;
        long parent = 0, group = 0, sessionId = 0;
        fields >> state >> parent >> group >> sessionId;
        if (sessionId == session && state != "Z")
            members.push_back(pid);
    }
    ::closedir(proc);
    return members;
}

} // namespace

// The run script without a display, as a user without one starts it: on a virtual X server of its own it
// runs the built program, saves a screenshot and closes the window, reports the program's normal end and
// leaves nothing running. An xvfb-run on the path that fails, as it does when it races another server, must
// not matter.
TEST(RunScriptTest, WithoutADisplayRunsTheProgramOnAServerOfItsOwnAndStopsIt) {
    const std::string runDirectory = KORVANE_RUN_DIR;
    const std::string build = runDirectory.substr(0, runDirectory.rfind('/'));
    const std::string script = std::string(KORVANE_TEST_DATA) + "/../../../scripts/run";
    ASSERT_EQ(::access((build + "/korvane_xwindow").c_str(), X_OK), 0) << "korvane_xwindow is not built";

    char folder[] = "/tmp/korvane-run-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string bin = std::string(folder) + "/bin";
    const std::string screenshot = std::string(folder) + "/window.png";
    ASSERT_EQ(::mkdir(bin.c_str(), 0700), 0);
    {
        std::ofstream broken(bin + "/xvfb-run");
        broken << "#!/bin/sh\necho 'xvfb-run: error: problem while cleaning up temporary directory' "
                  ">&2\nexit 5\n";
    }
    ASSERT_EQ(::chmod((bin + "/xvfb-run").c_str(), 0700), 0);

    int output[2];
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // A session of its own, so that whatever the script leaves behind can be found.
        ::setsid();
        ::dup2(output[1], 1);
        ::dup2(output[1], 2);
        ::unsetenv("DISPLAY");
        ::setenv("KORVANE_BUILT", build.c_str(), 1);
        ::setenv("PATH", (bin + ":" + std::getenv("PATH")).c_str(), 1);
        ::execl("/bin/bash", "bash", script.c_str(), screenshot.c_str(), "1", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);

    // Read until the script ends; a process it left holding the output open must not hold the test up.
    std::string text;
    int status = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{output[0], POLLIN, 0};
        if (::poll(&ready, 1, 100) > 0) {
            char buffer[4096];
            const ssize_t got = ::read(output[0], buffer, sizeof buffer);
            if (got > 0)
                text.append(buffer, size_t(got));
        }
        if (::waitpid(pid, &status, WNOHANG) == pid)
            break;
    }
    if (status == -1) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ADD_FAILURE() << "the script did not end within two minutes";
    }
    pollfd ready{output[0], POLLIN, 0};
    while (::poll(&ready, 1, 0) > 0) {
        char buffer[4096];
        const ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        text.append(buffer, size_t(got));
    }
    ::close(output[0]);

    const std::vector<pid_t> left = sessionMembers(pid);
    for (const pid_t member : left)
        ::kill(member, SIGKILL);
    EXPECT_TRUE(left.empty()) << left.size() << " processes left running\n" << text;
    ASSERT_TRUE(WIFEXITED(status)) << text;
    EXPECT_EQ(WEXITSTATUS(status), 0) << text;
    EXPECT_NE(text.find("korvane: exit code 1\n"), std::string::npos) << text;
    std::ifstream picture(screenshot, std::ios::binary);
    char signature[8] = {};
    picture.read(signature, sizeof signature);
    EXPECT_EQ(std::string(signature, sizeof signature), std::string("\x89PNG\r\n\x1a\n", 8)) << text;
    EXPECT_EQ(std::system(("rm -rf '" + std::string(folder) + "'").c_str()), 0);
}
