#pragma once

#include <GL/glx.h>

// The platform's GL-context services for the tests, done with raw GLX on the virtual X server.
namespace korvane::graphics3d::test::nativegl {

void registerContext(GLXContext context, Display* display);
void unregisterContext(GLXContext context);

} // namespace korvane::graphics3d::test::nativegl
