// Holds the desktop of a Wine session open while test programs come and go. Wine closes a desktop, and
// ends the explorer that draws it, a second after its last program has left; the next program starts
// explorer again, which costs a second and hands explorer that program's output streams, so CTest
// waits for explorer to end before it counts the test as finished. Runs until it is killed.
#include <windows.h>

int main() {
    // A window makes this thread a user of the desktop; a message-only window shows nothing.
    CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    Sleep(INFINITE);
    return 0;
}
