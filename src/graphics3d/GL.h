#pragma once

// The rendering layer's one way into OpenGL: GLEW first (it must precede every other GL header), which
// declares the OpenGL 1.1 functions and the extension entry points it loads.
#include <GL/glew.h>
