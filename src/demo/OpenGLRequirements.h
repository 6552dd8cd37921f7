#pragma once

namespace korvane::demo {

// Checks, with the view's context current, that the driver has the OpenGL entry points the demonstration
// calls without a fall-back (multitexturing and transpose matrices of OpenGL 1.3, the shading language of
// OpenGL 2.0). Throws UnsupportedFeatureException naming what is missing, instead of calling a null entry
// point later.
void requireOpenGL();

} // namespace korvane::demo
