#include "demo/SampleApplication.h"

namespace {

// Runs the application loop until the window is closed, then gives exit code 1 (or -1 when the program
// could not start; it has then printed why on the standard output).
int runDemonstration() {
    auto* application = new korvane::demo::SampleApplication;
    application->run();
    const bool failed = application->hasFailed();
    application->release();
    return failed ? -1 : 1;
}

} // namespace

#ifndef _WIN32

int main() {
    return runDemonstration();
}

#else

#include <cstdio>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

bool hasOutput() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    return output && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN;
}

// With nowhere to print, the program runs again as a child whose output comes through a pipe; when the
// child fails, what it printed is shown in a message box. The child's window is the program's window, and
// its exit code the program's.
int runWithMessageBox() {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE reading = nullptr, writing = nullptr;
    if (!CreatePipe(&reading, &writing, &inherited, 0))
        return runDemonstration();
    SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);

    char program[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    std::string commandLine = GetCommandLineA();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writing;
    startup.hStdError = writing;
    PROCESS_INFORMATION child = {};
    const bool started = length > 0 && length < sizeof program &&
                         CreateProcessA(program, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &child);
    CloseHandle(writing);
    if (!started) {
        CloseHandle(reading);
        return runDemonstration();
    }
    CloseHandle(child.hThread);

    // Everything the child prints, up to a screenful.
    std::string output;
    char buffer[4096];
    DWORD done = 0;
    while (ReadFile(reading, buffer, sizeof buffer, &done, nullptr) && done > 0)
        if (output.size() < 8192)
            output.append(buffer, done);
    CloseHandle(reading);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);

    if (code != 1) {
        if (output.empty())
            output = "Korvane ended unexpectedly (exit code " + std::to_string(int(code)) + ").";
        MessageBoxA(nullptr, output.c_str(), "Korvane", MB_OK | MB_ICONERROR);
    }
    return int(code);
}

} // namespace

// A program of the Windows subsystem: no console window of its own. Its messages go to its redirected
// output when it has one (a handle given at start reaches even programs without a console), else to the
// console of the program that started it, else into a message box.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (hasOutput())
        return runDemonstration();
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        (void)std::freopen("CONOUT$", "w", stdout);
        (void)std::freopen("CONOUT$", "w", stderr);
        return runDemonstration();
    }
    return runWithMessageBox();
}

#endif
