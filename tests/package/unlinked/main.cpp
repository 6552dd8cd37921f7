#include "gui/Window.h"
#include "input/MouseListener.h"

int main() {
    return 0;
}
