#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <vector>

#include "demo/Scene.h"
#include "gui/OpenGL.h"

namespace korvane::bench {

// One sphere of the frame: its size, colour, placement (a row-major 4x4 transform, as the scene keeps it)
// and the axis through the world origin it turns about.
struct BaselineSphere {
    float radius = 0;
    float diffuse[4] = {};
    float transform[16] = {};
    float axis[3] = {};
};

// The demonstration's spheres (its four by default), as its scene generator places them.
std::vector<BaselineSphere> demonstrationSpheres(int count = demo::SphereCount);

// The demonstration's frame written straight against OpenGL, as one would by hand: the same sky box and
// spheres in buffer objects, the same shaders, textures and passes (six cube faces per sphere, as large
// as the demonstration's for that many spheres, then the window), with GL generating the mipmaps the textures
// ask for. Only the window and its GL context come from the framework; the frame itself makes every GL call
// on its own.
class BaselineView : public gui::OpenGL {
public:
    // `copying` renders each face into the window's top-left corner and copies it, as without
    // frame-buffer objects. Every sphere reflects all the others and the sky; each face draws them all.
    BaselineView(const gui::Rectangle& frame, bool copying,
                 std::vector<BaselineSphere> placements = demonstrationSpheres());
    ~BaselineView() override;

    bool attach() override;
    bool detach() override;
    void render() override;

    // Turns the spheres by this many milliseconds' worth on the next frame (the frame's clock).
    void setElapsed(float milliseconds) { elapsed = milliseconds; }

private:
    struct Sphere : BaselineSphere {
        GLuint vertices = 0, indices = 0, texture = 0;
        GLsizei indexCount = 0;
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
    std::vector<Sphere> spheres;
    int width, height;
    GLuint skyVertices = 0, skyIndices = 0, skyTexture = 0;
    // The edge of every face: the demonstration's for a scene of this many spheres.
    int faceSize;
    GLuint depthBuffer = 0;
    GLuint program = 0;
    GLuint glyphs = 0;
};

} // namespace korvane::bench
