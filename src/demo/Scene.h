#pragma once

#include <iterator>

#include "graphics3d/Light.h"
#include "graphics3d/ParameterBuffer.h"
#include "math/Matrix.h"

namespace korvane::graphics3d {
class CubeTexture;
class GeometryModel;
class SkyModel;
} // namespace korvane::graphics3d

namespace korvane::demo {

class SphereRenderer;

/// The demonstration's scene: a sky box and four reflective spheres, each with its own cube map and
/// renderer, lit by one point light. Built once when the scene view's GL context exists, read every frame,
/// released when the view goes away; all of it on the window thread. The tables own every object they
/// point at: releaseScene() releases them.
struct Scene {
    static constexpr int SphereCount = 4;
    // The segments of each sphere's models, finest first: the first is the sphere the window shows, the
    // others draw it into reflection faces where it covers fewer pixels (see sphereDetailFor).
    static constexpr int SphereSegments[] = {75, 56, 42, 32, 24, 18};
    static constexpr int DetailCount = int(std::size(SphereSegments));

    SphereRenderer* renderers[SphereCount] = {};
    graphics3d::GeometryModel* sphereModels[SphereCount] = {};
    // The same spheres with fewer segments, index d - 1 for detail level d; they share the models'
    // appearance and parameters.
    graphics3d::GeometryModel* coarserSpheres[SphereCount][DetailCount - 1] = {};
    // Each holds one "modelview" matrix for its sphere.
    graphics3d::ParameterBuffer* sphereParameters[SphereCount] = {};
    // Each sphere's transform this frame: where it was placed, turned by spinAngle about its axis.
    math::Matrix sphereTransforms[SphereCount];
    math::Matrix placedTransforms[SphereCount];
    // How far every sphere has turned since it was placed, in radians within half a turn either way.
    double spinAngle = 0.0;
    // The radius each sphere model was built with: its bounding sphere about its centre.
    float sphereRadii[SphereCount] = {};
    float rotationAxes[SphereCount][3] = {};
    graphics3d::ParameterBuffer* skyParameters = nullptr;
    // The sky as the reflection faces see it, one face per direction: the sky box turns with the face but
    // never moves, so every sphere's face k shows the same sky. Filled by the first face drawn into each
    // direction and copied into the others (render-target mode, where GL can copy between textures).
    graphics3d::CubeTexture* skyFaces = nullptr;
    bool skyFaceReady[6] = {};
    graphics3d::SkyModel* sky = nullptr;
    graphics3d::PointLight* light = nullptr;
};

// The process-wide scene tables.
extern Scene scene;

// Builds the scene into `scene` with the thread's rendering context current. Radii, colours, positions
// and axes come from a uniform generator started at state 0, so every run shows the same scene. Throws the
// file exceptions for a missing or unreadable data file, TextureException for a sky file that is not a cube
// map of six faces, and the shader exceptions (with the compiler's or linker's log) for broken programs;
// whatever was built before the failure is released again.
void buildScene();
// The coarsest detail level (index into Scene::SphereSegments) at which a sphere whose outline spans
// `pixelRadius` pixels keeps its outline within a tenth of a pixel of the true circle: a sphere of n
// segments lies at most r (1 - cos(pi / n)) inside it. 0 (the finest) for radii not finite.
int sphereDetailFor(float pixelRadius);
// The radius in pixels, along its longest axis, of a sphere of `radius` about `centre` (eye space, looking
// down -Z) seen through a square 90-degree frustum `size` pixels wide; infinite when the eye is inside it
// or it lies beside or behind the eye.
float sphereRadiusInFace(const math::Vector3<float>& centre, float radius, float size);
// Turns every sphere about its axis, through the centre of the world, by the angle that
// `elapsedMilliseconds` adds. Each transform is made anew from where the sphere was placed and the whole
// angle turned, so that sizes and distances stay as built however long the program runs.
void spinScene(float elapsedMilliseconds);
// Releases everything the scene holds and empties the tables; harmless when nothing is built.
void releaseScene();
// The spheres' indices, nearest first as seen through `view` (row-major, world to eye), so that the
// depth test spares the shading of what nearer spheres cover. The depth test decides every pixel
// whatever the order, so the order changes no pixel.
void orderFrontToBack(const math::Matrix& view, int (&order)[Scene::SphereCount]);

} // namespace korvane::demo
