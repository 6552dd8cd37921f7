#pragma once

#include <iterator>
#include <vector>

#include "demo/SphereRenderer.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/GeometryModel.h"
#include "graphics3d/Light.h"
#include "graphics3d/ParameterBuffer.h"
#include "graphics3d/SkyModel.h"
#include "math/Matrix.h"
#include "object/Noncopyable.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {
class Context;
class MatrixStack;
} // namespace korvane::graphics3d

namespace korvane::demo {

/// How many spheres the demonstration shows.
inline constexpr int SphereCount = 4;
/// How far from the centre of the world a scene of more than SphereCount spheres reaches, however its
/// spheres turn: the camera the demonstration starts with, 400 units before the centre, sees a ball of
/// this radius whole in its 600 x 500 window (half the height spans atan(5 / 12)).
inline constexpr float CrowdReach = 150.0f;
/// The edge in pixels of every cube-map face of the demonstration's scene: the spheres' reflections and the
/// sky faces copied into them. A crowd's smaller spheres take smaller faces (Scene::cubeSizeFor).
inline constexpr int CubeSize = 256;
/// The segments of each sphere's models, finest first: the first is the sphere the window shows, the
/// others draw it into reflection faces where it covers fewer pixels (see sphereDetailFor).
inline constexpr int SphereSegments[] = {75, 56, 42, 32, 24, 18};
inline constexpr int DetailCount = int(std::size(SphereSegments));

/// What one sphere looks like and how it moves, as the scene generator draws it.
struct SphereLook {
    /// The radius its models are built with: its bounding sphere about its centre.
    float radius = 0.0f;
    /// The diffuse colour: red, green, blue.
    float colour[3] = {};
    /// Where it stands when the scene is built (world space).
    math::Vector3<float> position;
    /// What it turns about, through the centre of the world (not normalised).
    float axis[3] = {};
};

/// One sphere of the scene with all of its parts. The members own what they point at: dropping the record
/// releases them all (with the rendering context they were made in current, or deferred to it).
struct Sphere : SphereLook {
    object::Pointer<graphics3d::GeometryModel> model;
    /// The same sphere with fewer segments, index d - 1 for detail level d; they share the model's
    /// appearance (material, cube texture, shader).
    object::Pointer<graphics3d::GeometryModel> coarser[DetailCount - 1];
    /// Holds the "modelview" matrix of the sphere's next draw.
    object::Pointer<graphics3d::ParameterBuffer> parameters;
    /// The reflection: the cube-map generator, which holds the sphere's cube texture and, in render-target
    /// mode, the frame buffers that render into it.
    object::Pointer<SphereRenderer> renderer;
    /// Where the sphere was placed, and where it stands this frame: placed, turned by the scene's spin.
    math::Matrix placed;
    math::Matrix transform;
};

/// The demonstration's scene: a sky box and reflective spheres, each with its own cube map and renderer,
/// lit by one point light. The scene view owns it: built once the view's GL context exists, read every
/// frame and released when the view goes away, all of it on the window thread. Every part is owned by a
/// member, so release() or the scene's destruction lets all of it go.
class Scene : private object::Noncopyable {
public:
    Scene() = default;

    /// The scene generator: `count` spheres (none for a count below 1) from a uniform generator started at
    /// state 0, so that every run shows the same scene. Each sphere takes ten draws in this order: radius
    /// (50 to 110), colour blue, green, red, position z, y, x (each -200 to 200), axis x, y, z. Up to
    /// SphereCount spheres keep these draws. More are made smaller, so that they stay apart, and drawn in
    /// closer, so that they stay in view: each radius is scaled by sqrt(SphereCount / count) (together the
    /// spheres show the outline area of SphereCount), but to no more than 0.45 times the distance to the
    /// nearest other centre (every pair, as placed, keeps a tenth of its distance free); then the whole
    /// placement, centres and radii, shrinks until no sphere reaches farther than CrowdReach from the centre.
    static std::vector<SphereLook> generateSpheres(int count = SphereCount);
    /// The edge of the cube-map faces of a scene of `count` spheres: CubeSize up to SphereCount spheres. A
    /// crowd's spheres are drawn smaller, and a sphere half the size covers half the pixels across on
    /// screen, so its reflection needs half the texels across for the same sharpness: the faces shrink
    /// with the spheres (by the largest share any sphere keeps of its drawn radius), to the nearest power
    /// of two, at least 32. The face pixels of all N spheres then stay about what the four's are.
    static int cubeSizeFor(int count);

    /// Builds the scene with `sphereCount` spheres from the generator, with the thread's rendering context
    /// current; a scene built before is released first. Throws the file exceptions for a missing or
    /// unreadable data file, TextureException for a sky file that is not a cube map of six faces, and the
    /// shader exceptions (with the compiler's or linker's log) for broken programs; the scene is left
    /// empty then.
    void build(int sphereCount = SphereCount);
    /// Releases everything the scene holds; harmless when nothing is built.
    void release();
    bool isBuilt() const { return sky.get() != nullptr; }
    int getSphereCount() const { return int(spheres.size()); }

    /// Turns every sphere about its axis, through the centre of the world, by the angle that
    /// `elapsedMilliseconds` adds. Each transform is made anew from where the sphere was placed and the
    /// whole angle turned, so that sizes and distances stay as built however long the program runs.
    void spin(float elapsedMilliseconds);
    /// The spheres' indices, nearest first as seen through `view` (row-major, world to eye), so that the
    /// depth test spares the shading of what nearer spheres cover. The depth test decides every pixel
    /// whatever the order, so the order changes no pixel.
    void orderFrontToBack(const math::Matrix& view, std::vector<int>& order) const;
    /// Puts the light into slot 0 of the context's light stack and GL's light 0, placed by the model-view
    /// matrix in force. The light's colours stay in GL from one draw to the next: only the first call after
    /// the slot was emptied sends the whole light, the others its position.
    void placeLight(graphics3d::Context& context) const;
    /// Draws the sky box seen through `view`, with texture unit 0's matrix the identity.
    void drawSky(graphics3d::MatrixStack& matrixStack, const math::Matrix& view) const;

    std::vector<Sphere> spheres;
    /// How far every sphere has turned since it was placed, in radians within half a turn either way.
    double spinAngle = 0.0;
    object::Pointer<graphics3d::SkyModel> sky;
    object::Pointer<graphics3d::ParameterBuffer> skyParameters;
    /// The sky as the reflection faces see it, one face per direction: the sky box turns with the face but
    /// never moves, so every sphere's face k shows the same sky. Filled by the first face drawn into each
    /// direction and copied into the others (render-target mode, where GL can copy between textures).
    object::Pointer<graphics3d::CubeTexture> skyFaces;
    bool skyFaceReady[graphics3d::CubeTexture::FaceCount] = {};
    object::Pointer<graphics3d::PointLight> light;
};

/// The coarsest detail level (index into SphereSegments) at which a sphere whose outline spans
/// `pixelRadius` pixels keeps its outline within a tenth of a pixel of the true circle: a sphere of n
/// segments lies at most r (1 - cos(pi / n)) inside it. 0 (the finest) for radii not finite.
int sphereDetailFor(float pixelRadius);
/// The radius in pixels, along its longest axis, of a sphere of `radius` about `centre` (eye space, looking
/// down -Z) seen through a square 90-degree frustum `size` pixels wide; infinite when the eye is inside it
/// or it lies beside or behind the eye.
float sphereRadiusInFace(const math::Vector3<float>& centre, float radius, float size);

} // namespace korvane::demo
