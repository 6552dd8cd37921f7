#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvane::tools {

struct Direction {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct Colour {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
};

// A procedural outdoor sky around the origin, +Y up: a blue gradient with a sun and clouds above a ring of
// hills and mountains on the horizon, over a plain of fields. Every colour is a function of the viewing
// direction alone, so cube faces sampled from it meet without seams.
class SkyBox {
public:
    static constexpr int FaceCount = 6;

    // The sky seen along the direction (need not be normalised; must not be zero).
    Colour colourAt(Direction direction) const;

    // The direction GL's cube-map lookup maps to the point (s, t) of a face (each in [0, 1]; faces
    // +X, -X, +Y, -Y, +Z, -Z). Row 0 of a face image is t = 0.
    static Direction faceDirection(int face, double s, double t);

    // One face of size x size texels, rows top to bottom as uploaded, three bytes per texel in the order
    // blue, green, red. Each texel averages a 2 x 2 grid of samples.
    std::vector<unsigned char> renderFace(int face, int size) const;

    // A DDS cube map: the 128-byte header of an uncompressed 24-bit cube map with all six faces and one
    // level, followed by the faces in order.
    std::vector<unsigned char> renderCubeMap(int size) const;

    // Writes the cube map to the path through a temporary file renamed into place, so a failed run leaves
    // no partial file behind. False, with a reason, when the size is not a power of two or writing fails.
    bool write(const std::string& path, int size, std::string& error) const;
};

} // namespace korvane::tools
