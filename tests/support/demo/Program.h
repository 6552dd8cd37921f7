#pragma once

#include <sys/types.h>

#include <X11/Xlib.h>

#include <string>
#include <utility>
#include <vector>

#include "support/demo/RunDirectory.h"
#include "tools/xwindow/XWindows.h"

namespace korvane::demo::test {

// A copy of the run directory in a fresh temporary folder (the program linked, data and font copied),
// for runs with files taken away or broken. Removed on destruction.
class RunDirectoryCopy {
public:
    RunDirectoryCopy();
    ~RunDirectoryCopy();
    RunDirectoryCopy(const RunDirectoryCopy&) = delete;
    RunDirectoryCopy& operator=(const RunDirectoryCopy&) = delete;

    const std::string& path() const { return root; }
    void remove(const std::string& name);
    void write(const std::string& name, const std::string& bytes);
    void write(const std::string& name, const std::vector<unsigned char>& bytes);
    // The font files (*.ttf) of the copy.
    std::vector<std::string> fonts() const;

private:
    std::string root;
};

// The program `korvane` started in a working directory with extra environment settings, its standard
// output and error collected. Destruction kills a program that still runs.
class Program {
public:
    explicit Program(const std::string& directory, std::vector<std::pair<std::string, std::string>> env = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Waits up to `milliseconds` for the program to end; its exit code (0 to 255), or -1 when it still
    // runs.
    int wait(int milliseconds);
    bool isRunning();
    // Everything the program wrote to standard output and error so far (after wait: all of it).
    std::string output();

    // The program's window, once it is shown (0 after the time-out).
    ::Window waitForWindow(int milliseconds = 20000);
    Display* display() const { return x; }
    pid_t id() const { return pid; }
    // The stacks of every thread of the running program (through gdb), for the message of a test that
    // found it hanging; empty when they cannot be read.
    std::string stacks() const;

private:
    void drain();

    pid_t pid = -1;
    int outputPipe = -1;
    int exitCode = -1;
    std::string collected;
    Display* x = nullptr;
};

// Pixels that differ between two pictures of the same size by more than `tolerance` in some channel.
long countDifferences(const tools::Picture& a, const tools::Picture& b, int tolerance, int x0 = 0, int y0 = 0,
                      int x1 = -1, int y1 = -1);

// Saves a picture as binary PPM (for looking at a failure).
void savePicture(const tools::Picture& picture, const std::string& path);

} // namespace korvane::demo::test
