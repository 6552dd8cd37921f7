#include "demo/SampleApplication.h"

// The demonstration: runs the application loop until the window is closed, then ends with exit code 1
// (or -1 when the window could not be opened).
int main() {
    auto* application = new korvane::demo::SampleApplication;
    application->run();
    const bool failed = application->hasFailed();
    application->release();
    return failed ? -1 : 1;
}
