#pragma once

#include "graphics3d/GL.h"

namespace korvane::graphics3d::test {

// What GL counts of `target` (GL_PRIMITIVES_GENERATED, GL_SAMPLES_PASSED, ...) while `draw` runs.
template <typename Draw> GLuint countWhile(GLenum target, Draw draw) {
    GLuint query = 0, count = 0;
    glGenQueries(1, &query);
    glBeginQuery(target, query);
    draw();
    glEndQuery(target);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

// Primitives GL assembles while `draw` runs.
template <typename Draw> GLuint primitives(Draw draw) {
    return countWhile(GL_PRIMITIVES_GENERATED, draw);
}

} // namespace korvane::graphics3d::test
