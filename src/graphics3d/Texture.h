#pragma once

#include <cstdint>

#include "graphics/PixelFormat.h"
#include "graphics3d/Resource.h"
#include "object/Noncopyable.h"
#include "object/Pointer.h"

namespace korvane::graphics3d {

class Context;

// One OpenGL texture object: its name, its target (GL_TEXTURE_1D, _2D, _3D or _CUBE_MAP) and the binding
// query that saves and restores the target's binding, with the sampling state the framework tracks for it.
// Owns the name, which belongs to the rendering context current when it was wrapped: destruction deletes
// it there (see Context::Scope) and clears every texture-unit record of that context that still names
// this texture.
class Texture : public Resource, public object::Noncopyable {
public:
    ~Texture() override;

    types::String getClassPath() const override;

    uint32_t getGLName() const { return glName; }
    uint32_t getTarget() const { return target; }
    uint32_t getBindingQuery() const { return bindingQuery; }
    // The size of level 0 (of the +X face for a cube map); 0 where a kind has no such dimension.
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }

    // The pixel format matching the texture's internal format, Unknown for one without a match.
    graphics::PixelFormat getFormat() const { return format; }
    // GL_TEXTURE_MAX_LEVEL plus 1, as read when the name was wrapped.
    uint32_t getLevelCount() const { return levelCount; }
    uint32_t getMinFilter() const { return minFilter; }
    uint32_t getMagFilter() const { return magFilter; }

    // Sets both filters. The texture that was bound to this texture's target before the call stays bound.
    void setFilter(uint32_t minFilter, uint32_t magFilter);

    // Whether sampling can reach a level above 0: only a mipmapped minification filter does (GL samples
    // the base level alone otherwise, whatever levels have storage).
    bool hasLevelsInUse() const;
    // Whether GL itself regenerates the levels above 0 when level 0 is specified or copied into
    // (GL_GENERATE_MIPMAP, as it was when the name was wrapped). Drawing into level 0 through a frame
    // buffer does not trigger that. The creators leave it off and ask for generated levels instead.
    bool generatesLevels() const { return automaticLevels; }
    // Asks for levels above 0 made from level 0: they are generated when a mipmapped filter is set and
    // again whenever level 0 changed before something samples them, never while nothing does.
    void setGeneratedLevels(bool generated);
    bool hasGeneratedLevels() const { return generatedLevels; }
    // Says that level 0 changed in a way GL did not follow with the other levels.
    void markLevelsDirty() { levelsDirty = true; }
    bool areLevelsDirty() const { return levelsDirty; }
    // Brings the levels above 0 in line with level 0 when they are out of date and in use. Levels nobody
    // samples are left out of date, at no cost, until they are in use. The texture bound to this
    // texture's target stays bound.
    void updateLevels();

    // The binding enum that goes with a texture target, 0 for an unknown target.
    static uint32_t bindingQueryOf(uint32_t target);

protected:
    // Wraps an existing texture name of the current GL context; the texture takes ownership of it. GL is
    // not touched.
    Texture(uint32_t glName, uint32_t target);

    struct Configure {};
    // Wraps an existing texture name as the creators do: binds it on the active texture unit, reads its
    // level count and internal format, sets nearest filtering, repeat wrapping and the widest LOD range,
    // and records it as the active unit's texture in the thread's rendering context, where it is left
    // bound.
    Texture(uint32_t glName, uint32_t target, Configure);

    // Sets all three wrap modes of the texture, which must be bound on the active unit.
    void setWrap(uint32_t mode);

    uint32_t levelCount = 0;
    graphics::PixelFormat format = graphics::PixelFormat::Unknown;
    uint32_t magFilter = 0x2600; // GL_NEAREST
    uint32_t minFilter = 0x2600;
    float maxLod = 1000.0f;
    float minLod = -1000.0f;
    uint32_t wrapS = 0x2901; // GL_REPEAT
    uint32_t wrapT = 0x2901;
    uint32_t wrapR = 0x2901;
    uint32_t glName;
    uint32_t target;
    uint32_t bindingQuery;
    int32_t width = 0;
    int32_t height = 0;
    bool automaticLevels = false;
    bool generatedLevels = false;
    bool levelsDirty = false;
    // The rendering context the name belongs to, null when it was made without one.
    object::Pointer<Context> owner;
};

} // namespace korvane::graphics3d
