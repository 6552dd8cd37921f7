#include "tools/skybox/SkyBox.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace korvane::tools {

namespace {

constexpr double Pi = 3.14159265358979323846;

Direction normalise(Direction d) {
    double length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return {d.x / length, d.y / length, d.z / length};
}

double dot(Direction a, Direction b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Colour mix(Colour a, Colour b, double t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}

Colour scale(Colour c, double factor) {
    return {c.red * factor, c.green * factor, c.blue * factor};
}

Colour add(Colour a, Colour b) {
    return {a.red + b.red, a.green + b.green, a.blue + b.blue};
}

double smoothstep(double edge0, double edge1, double x) {
    double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Gradient noise in three dimensions over a fixed permutation, roughly in [-1, 1].
class Noise {
public:
    Noise() {
        uint32_t state = 0x4B6F7276; // fixed: every build makes the same sky
        for (int i = 0; i < 256; ++i)
            table[i] = i;
        for (int i = 255; i > 0; --i) {
            state = state * 1664525u + 1013904223u;
            std::swap(table[i], table[(state >> 8) % uint32_t(i + 1)]);
        }
        for (int i = 0; i < 256; ++i)
            table[i + 256] = table[i];
    }

    double operator()(double x, double y, double z) const {
        const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
        const int X = int(fx) & 255, Y = int(fy) & 255, Z = int(fz) & 255;
        x -= fx;
        y -= fy;
        z -= fz;
        const double u = fade(x), v = fade(y), w = fade(z);
        const int A = table[X] + Y, AA = table[A] + Z, AB = table[A + 1] + Z;
        const int B = table[X + 1] + Y, BA = table[B] + Z, BB = table[B + 1] + Z;
        return lerp(
            w,
            lerp(v, lerp(u, grad(table[AA], x, y, z), grad(table[BA], x - 1, y, z)),
                 lerp(u, grad(table[AB], x, y - 1, z), grad(table[BB], x - 1, y - 1, z))),
            lerp(v, lerp(u, grad(table[AA + 1], x, y, z - 1), grad(table[BA + 1], x - 1, y, z - 1)),
                 lerp(u, grad(table[AB + 1], x, y - 1, z - 1), grad(table[BB + 1], x - 1, y - 1, z - 1))));
    }

    // Fractal sum of octaves, roughly in [-1, 1].
    double fractal(double x, double y, double z, int octaves) const {
        double sum = 0.0, amplitude = 0.5, total = 0.0;
        for (int i = 0; i < octaves; ++i) {
            sum += amplitude * (*this)(x, y, z);
            total += amplitude;
            x = x * 2.03 + 17.1;
            y = y * 2.03 + 5.3;
            z = z * 2.03 + 11.7;
            amplitude *= 0.5;
        }
        return sum / total * 1.6;
    }

private:
    static double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }
    static double lerp(double t, double a, double b) { return a + t * (b - a); }
    static double grad(int hash, double x, double y, double z) {
        const int h = hash & 15;
        const double u = h < 8 ? x : y;
        const double v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
        return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
    }

    int table[512];
};

const Noise& noise() {
    static const Noise instance;
    return instance;
}

// The demonstration's sky box samples the map at (x, y, -z) for the world direction (x, y, z): this sun
// shows ahead of the starting camera (which looks along -z), up and to the right.
const Direction Sun = normalise({0.3, 0.25, 0.92});
const Colour Zenith{0.13, 0.32, 0.72};
const Colour HorizonSky{0.68, 0.80, 0.92};
const Colour Haze{0.62, 0.70, 0.76};
const Colour SunLight{1.0, 0.86, 0.62};

// Height (as the sine of the elevation) of a ridge line along the horizon; periodic in the azimuth since
// the noise is sampled on a circle.
double ridge(double azimuth, double radius, double offset, double base, double amplitude) {
    const Noise& n = noise();
    double r = n.fractal(std::cos(azimuth) * radius + offset, std::sin(azimuth) * radius, offset, 5);
    double sharp = 1.0 - std::fabs(r); // ridged: peaks where the noise crosses zero
    return base + amplitude * sharp * sharp;
}

Colour skyAbove(Direction d) {
    const Noise& n = noise();
    const double up = std::max(d.y, 0.0);
    Colour colour = mix(HorizonSky, Zenith, std::pow(up, 0.45));

    const double toSun = std::max(dot(d, Sun), 0.0);
    colour = add(colour, scale(SunLight, 0.45 * std::pow(toSun, 48.0) + 0.18 * std::pow(toSun, 6.0)));

    // Clouds on a layer above the ground: project the direction onto it, so they shrink towards the horizon.
    const double height = d.y + 0.06;
    const double px = d.x / height * 1.4, pz = d.z / height * 1.4;
    const double density = n.fractal(px, pz, 3.7, 6);
    const double cover = smoothstep(0.05, 0.55, density) * smoothstep(0.0, 0.18, d.y);
    if (cover > 0.0) {
        const double shade =
            0.72 + 0.28 * smoothstep(-0.6, 0.6, n.fractal(px * 1.7 + 40.0, pz * 1.7, 9.1, 4));
        Colour cloud = scale(Colour{0.97, 0.97, 1.0}, shade);
        cloud = add(cloud, scale(SunLight, 0.35 * std::pow(toSun, 12.0)));
        colour = mix(colour, cloud, cover * 0.92);
    }

    const double sunDisc = smoothstep(std::cos(1.9 * Pi / 180.0), std::cos(1.5 * Pi / 180.0), dot(d, Sun));
    return mix(colour, Colour{1.0, 0.98, 0.90}, sunDisc);
}

Colour ground(Direction d) {
    const Noise& n = noise();
    const double down = -d.y;
    // The plain below: fields and woods laid out on the ground plane.
    const double gx = d.x / std::max(down, 1e-4) * 3.0, gz = d.z / std::max(down, 1e-4) * 3.0;
    const double fields = n.fractal(gx, gz, 21.0, 5);
    const double woods = n.fractal(gx * 0.6 + 8.0, gz * 0.6, 33.0, 4);
    Colour colour = mix(Colour{0.30, 0.48, 0.18}, Colour{0.52, 0.44, 0.27}, smoothstep(-0.15, 0.25, fields));
    colour = mix(colour, Colour{0.12, 0.26, 0.12}, smoothstep(0.2, 0.45, woods));
    // Distance haze: the ground fades into the horizon.
    return mix(colour, Haze, std::exp(-down * 9.0));
}

} // namespace

Colour SkyBox::colourAt(Direction direction) const {
    const Direction d = normalise(direction);
    if (d.y < 0.0)
        return ground(d);

    if (d.y > 0.2) // above the highest peak
        return skyAbove(d);
    const double azimuth = std::atan2(d.z, d.x);
    const double hills = ridge(azimuth, 3.0, 50.0, 0.004, 0.035);
    if (d.y < hills) {
        const double shade = 0.5 + 0.5 * noise().fractal(azimuth * 30.0, d.y * 200.0, 71.0, 3);
        Colour colour = mix(Colour{0.16, 0.30, 0.16}, Colour{0.22, 0.36, 0.18}, shade);
        return mix(colour, Haze, 0.35);
    }
    const double mountains = ridge(azimuth, 1.6, 90.0, 0.01, 0.16);
    if (d.y < mountains) {
        const double snow =
            smoothstep(mountains - 0.015, mountains - 0.005, d.y) * smoothstep(0.1, 0.14, d.y);
        Colour rock = mix(Colour{0.34, 0.40, 0.50}, HorizonSky, 0.35 + 0.3 * (1.0 - d.y / mountains));
        return mix(rock, Colour{0.92, 0.94, 0.98}, snow);
    }
    return skyAbove(d);
}

Direction SkyBox::faceDirection(int face, double s, double t) {
    const double u = 2.0 * s - 1.0, v = 2.0 * t - 1.0;
    switch (face) {
    case 0:
        return {1.0, -v, -u};
    case 1:
        return {-1.0, -v, u};
    case 2:
        return {u, 1.0, v};
    case 3:
        return {u, -1.0, -v};
    case 4:
        return {u, -v, 1.0};
    default:
        return {-u, -v, -1.0};
    }
}

std::vector<unsigned char> SkyBox::renderFace(int face, int size) const {
    std::vector<unsigned char> pixels(size_t(size) * size_t(size) * 3);
    auto byte = [](double value) {
        return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
    };
    size_t at = 0;
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column) {
            Colour sum;
            for (int sy = 0; sy < 2; ++sy)
                for (int sx = 0; sx < 2; ++sx) {
                    double s = (column + 0.25 + 0.5 * sx) / size, t = (row + 0.25 + 0.5 * sy) / size;
                    sum = add(sum, colourAt(faceDirection(face, s, t)));
                }
            pixels[at++] = byte(sum.blue / 4.0);
            pixels[at++] = byte(sum.green / 4.0);
            pixels[at++] = byte(sum.red / 4.0);
        }
    return pixels;
}

std::vector<unsigned char> SkyBox::renderCubeMap(int size) const {
    std::vector<unsigned char> bytes(128, 0);
    auto put = [&bytes](size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    put(0, 0x20534444);                     // "DDS "
    put(4, 124);                            // header size
    put(8, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000); // caps, height, width, pitch, pixel format
    put(12, uint32_t(size));
    put(16, uint32_t(size));
    put(20, uint32_t(size) * 3); // pitch
    put(76, 32);                 // pixel format size
    put(80, 0x40);               // uncompressed RGB
    put(88, 24);
    put(92, 0x00FF0000);
    put(96, 0x0000FF00);
    put(100, 0x000000FF);
    put(108, 0x1000 | 0x8);   // texture, complex
    put(112, 0x200 | 0xFC00); // cube map with all six faces
    for (int face = 0; face < FaceCount; ++face) {
        std::vector<unsigned char> pixels = renderFace(face, size);
        bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    }
    return bytes;
}

bool SkyBox::write(const std::string& path, int size, std::string& error) const {
    if (size < 1 || size > 4096 || (size & (size - 1)) != 0) {
        error = "the face size must be a power of two from 1 to 4096";
        return false;
    }
    const std::vector<unsigned char> bytes = renderCubeMap(size);
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            error = "cannot write " + temporary;
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot rename " + temporary + " to " + path;
        return false;
    }
    return true;
}

} // namespace korvane::tools
