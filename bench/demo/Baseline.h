#pragma once

#include <GL/glew.h>

#include <cstdint>

#include "demo/Scene.h"
#include "gui/OpenGL.h"

namespace korvane::bench {

// The demonstration's frame written straight against OpenGL, as one would by hand: the same sky box and
// spheres in buffer objects, the same shaders, textures and passes (six cube faces per sphere, then the
// window), with GL generating the mipmaps the textures ask for. Only the window and its GL context come
// from the framework; the frame itself makes every GL call on its own.
class BaselineView : public gui::OpenGL {
public:
    // `copying` renders each face into the window's top-left corner and copies it, as without
    // frame-buffer objects.
    BaselineView(const gui::Rectangle& frame, bool copying);
    ~BaselineView() override;

    bool attach() override;
    bool detach() override;
    void render() override;

    // Turns the spheres by this many milliseconds' worth on the next frame (the frame's clock).
    void setElapsed(float milliseconds) { elapsed = milliseconds; }

private:
    static constexpr int Spheres = demo::SphereCount;

    struct Sphere {
        GLuint vertices = 0, indices = 0, texture = 0;
        GLsizei indexCount = 0;
        float radius = 0;
        float diffuse[4] = {};
        float transform[16] = {};
        float axis[3] = {};
        GLuint frameBuffers[6] = {};
    };

    void build();
    void release();
    void drawFace(int sphere, const float* view, int face);
    void drawSky(const float* view);
    void drawSphere(int sphere, const float* modelView);
    void drawLabel();

    bool copying;
    bool built = false;
    float elapsed = 0;
    Sphere spheres[Spheres];
    GLuint skyVertices = 0, skyIndices = 0, skyTexture = 0;
    GLuint depthBuffer = 0;
    GLuint program = 0;
    GLuint glyphs = 0;
};

} // namespace korvane::bench
