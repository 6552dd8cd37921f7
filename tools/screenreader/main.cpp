// Reads screen pixels for the Win32 test programs, from a process of its own. Each request on standard
// input is a line "x y"; each answer on standard output is a line with the pixel as a decimal 0xRRGGBB,
// or -1 where the screen has no pixel. Ends when its input does.
//
// Why a process of its own: under Wine a GDI read of the screen holds the X connection's lock while it
// waits for the server, and libX11 deadlocks when another thread of the same process meets an X error on
// that connection meanwhile (Wine causes some whenever a child window's device context is updated). A
// program of its own has its own connection.
#include <windows.h>

#include <cstdio>

int main() {
    HDC screen = GetDC(nullptr);
    long x = 0, y = 0;
    while (std::scanf("%ld %ld", &x, &y) == 2) {
        const COLORREF colour = GetPixel(screen, int(x), int(y));
        if (colour == CLR_INVALID) {
            std::printf("-1\n");
        } else {
            std::printf("%lu\n", (unsigned long)GetRValue(colour) << 16 |
                                     (unsigned long)GetGValue(colour) << 8 |
                                     (unsigned long)GetBValue(colour));
        }
        std::fflush(stdout);
    }
    ReleaseDC(nullptr, screen);
    return 0;
}
