#pragma once

#include "graphics3d/Resource.h"

namespace korvane::graphics3d {

class CommandList;

/// The surface colours a shader lights. The rendering context records the material in force; destroying
/// that material clears the record.
/// Used on the thread whose GL context is current.
class Material : public Resource {
public:
    ~Material() override;

    types::String getClassPath() const override;

    /// Sends the material to OpenGL; the base material sets nothing.
    virtual void apply() {}
    /// Appends the calls of apply() to `list`; false when the material records nothing.
    virtual bool record(CommandList& list) const;

protected:
    Material() = default;
};

/// The fixed-function material. Its diffuse colour also becomes the current vertex colour.
class ColourMaterial : public Material {
public:
    ColourMaterial() = default;

    types::String getClassPath() const override;

    void apply() override;
    /// Colours are recorded by address (a replay reads them then), the shininess by value.
    bool record(CommandList& list) const override;

    float ambient[4] = {0.2f, 0.2f, 0.2f, 0.0f};
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    float specular[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float shininess = 0.0f;
};

} // namespace korvane::graphics3d
