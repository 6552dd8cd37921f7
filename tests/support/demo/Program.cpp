#include "support/demo/Program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace korvane::demo::test {

namespace fs = std::filesystem;

RunDirectoryCopy::RunDirectoryCopy() {
    char pattern[] = "/tmp/korvane-run-XXXXXX";
    if (!::mkdtemp(pattern))
        throw std::runtime_error("cannot create a temporary directory");
    root = pattern;
    const fs::path source = runDirectory();
    fs::create_symlink(source / "korvane", fs::path(root) / "korvane");
    fs::copy(source / "data", fs::path(root) / "data", fs::copy_options::recursive);
    for (const auto& entry : fs::directory_iterator(source))
        if (entry.path().extension() == ".ttf")
            fs::copy_file(entry.path(), fs::path(root) / entry.path().filename());
}

RunDirectoryCopy::~RunDirectoryCopy() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void RunDirectoryCopy::remove(const std::string& name) {
    fs::remove(fs::path(root) / name);
}

void RunDirectoryCopy::write(const std::string& name, const std::string& bytes) {
    std::ofstream(fs::path(root) / name, std::ios::binary | std::ios::trunc) << bytes;
}

void RunDirectoryCopy::write(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::ofstream out(fs::path(root) / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::string> RunDirectoryCopy::fonts() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.path().extension() == ".ttf")
            names.push_back(entry.path().filename().string());
    return names;
}

Program::Program(const std::string& directory, std::vector<std::pair<std::string, std::string>> env) {
    int pipes[2];
    if (::pipe2(pipes, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipes[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipes[1], 2);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());

    std::vector<std::string> variables;
    for (char** e = environ; *e; ++e) {
        std::string variable = *e;
        bool replaced = false;
        for (const auto& [name, value] : env)
            replaced = replaced || variable.rfind(name + "=", 0) == 0;
        if (!replaced)
            variables.push_back(variable);
    }
    for (const auto& [name, value] : env)
        variables.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    char program[] = "./korvane";
    char* argv[] = {program, nullptr};
    const int failed = posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipes[1]);
    outputPipe = pipes[0];
    if (failed) {
        pid = -1;
        throw std::runtime_error("cannot start the program");
    }
    x = XOpenDisplay(nullptr);
}

Program::~Program() {
    if (pid > 0 && exitCode < 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    if (outputPipe >= 0)
        ::close(outputPipe);
    if (x)
        XCloseDisplay(x);
}

void Program::drain() {
    char buffer[4096];
    for (;;) {
        pollfd fd{outputPipe, POLLIN, 0};
        if (::poll(&fd, 1, 0) <= 0)
            return;
        const ssize_t got = ::read(outputPipe, buffer, sizeof buffer);
        if (got <= 0)
            return;
        collected.append(buffer, size_t(got));
    }
}

int Program::wait(int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (exitCode < 0) {
        drain();
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid) {
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    drain();
    return exitCode;
}

std::string Program::stacks() const {
    if (pid <= 0 || exitCode >= 0)
        return {};
    const std::string command = "gdb -p " + std::to_string(pid) +
                                " -batch -ex 'thread apply all bt' 2>/dev/null | grep '^#\\|^Thread'";
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, pipe))
            text += line;
        ::pclose(pipe);
    }
    return text;
}

bool Program::isRunning() {
    return wait(0) < 0;
}

std::string Program::output() {
    drain();
    return collected;
}

::Window Program::waitForWindow(int milliseconds) {
    if (!x)
        return 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!isRunning())
            return 0;
        if (::Window window = tools::waitForWindow(x, "Korvane", 200))
            return window;
    }
    return 0;
}

long countDifferences(const tools::Picture& a, const tools::Picture& b, int tolerance, int x0, int y0, int x1,
                      int y1) {
    if (a.width != b.width || a.height != b.height)
        return -1;
    if (x1 < 0)
        x1 = a.width;
    if (y1 < 0)
        y1 = a.height;
    long count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t *p = a.at(x, y), *q = b.at(x, y);
            for (int c = 0; c < 3; ++c)
                if (std::abs(int(p[c]) - int(q[c])) > tolerance) {
                    ++count;
                    break;
                }
        }
    return count;
}

void savePicture(const tools::Picture& picture, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(picture.rgb.data()), std::streamsize(picture.rgb.size()));
}

} // namespace korvane::demo::test
