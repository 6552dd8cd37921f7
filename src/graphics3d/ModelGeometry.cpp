#include "graphics3d/ModelGeometry.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"
#include "graphics3d/MeshBuilder.h"
#include "graphics3d/TypeCode.h"

namespace korvane::graphics3d::detail {

namespace {

// The index count of a sphere's strips: per strip two for each of its n + 1 columns and two to join it
// to the next.
uint64_t sphereIndexCount(uint64_t n) {
    return (n / 2) * (2 * n + 4);
}

} // namespace

void buildSphere(IndexMesh& mesh, float radius, int segments, bool inward) {
    if (segments < 2)
        return;
    const uint32_t n = uint32_t(segments);
    const uint32_t rings = n / 2 + 1;
    MeshBuilder builder;
    builder.setAttributes(attribute::Position | attribute::Normal | attribute::TextureCoordinate0);
    builder.setPrimitive(GL_TRIANGLE_STRIP);
    // A buffer holds at most 4 GiB (which also numbers every vertex and index with 32 bits): a count
    // beyond that is refused before anything is allocated.
    const uint64_t vertexBytes = (uint64_t(n) + 1) * rings * builder.getFormat().stride;
    const uint64_t indexBytes = sphereIndexCount(n) * sizeof(uint32_t);
    if (vertexBytes > UINT32_MAX || indexBytes > UINT32_MAX)
        return;
    const float sign = inward ? -1.0f : 1.0f;
    const float pi = std::numbers::pi_v<float>;

    for (uint32_t i = 0; i <= n; ++i) {
        builder.setPosition(0, -radius, 0);
        builder.setNormal(0, -sign, 0);
        builder.setTexCoord(float(i) / float(n), 0);
        builder.addVertex();
    }
    for (uint32_t k = 1; k + 1 < rings; ++k) {
        const uint32_t c = 2 * k;
        const float latitude = float(c) * pi / float(n) - pi / 2;
        for (uint32_t i = 0; i <= n; ++i) {
            const float longitude = 2.0f * float(i) * pi / float(n);
            const float x = std::cos(latitude) * std::cos(longitude);
            const float y = std::sin(latitude);
            const float z = std::cos(latitude) * std::sin(longitude);
            builder.setPosition(radius * x, radius * y, radius * z);
            builder.setNormal(sign * x, sign * y, sign * z);
            // One band ahead of the latitude.
            builder.setTexCoord(float(i) / float(n), float(c + 2) / float(n));
            builder.addVertex();
        }
    }
    for (uint32_t i = 0; i <= n; ++i) {
        builder.setPosition(0, radius, 0);
        builder.setNormal(0, sign, 0);
        builder.setTexCoord(float(i) / float(n), 1);
        builder.addVertex();
    }
    for (uint32_t r = 0; r + 1 < rings; ++r) {
        for (uint32_t j = 0; j <= n; ++j) {
            const uint32_t lower = r * (n + 1) + j;
            const uint32_t upper = (r + 1) * (n + 1) + j;
            builder.addIndex(inward ? upper : lower);
            builder.addIndex(inward ? lower : upper);
        }
        // The last vertex of the upper ring sits where the next strip starts, so the triangles through
        // the repeated index have no area.
        const uint32_t join = (r + 1) * (n + 1) + n;
        builder.addIndex(join);
        builder.addIndex(join);
    }

    auto* built = dynamic_cast<IndexMesh*>(builder.build());
    if (!built)
        return;
    mesh.setPrimitive(GL_TRIANGLE_STRIP);
    mesh.setIndexBuffer(built->getIndexBuffer());
    mesh.setVertexBuffer(built->getVertexBuffer(0), 0);
    built->release();
}

FacingRuns::FacingRuns(int segments, float radius) {
    if (segments < 4 || !std::isfinite(radius) || !(radius > 0.0f))
        return;
    const uint32_t n = uint32_t(segments);
    const uint32_t rings = n / 2 + 1;
    if (sphereIndexCount(n) * sizeof(uint32_t) > UINT32_MAX)
        return;
    this->segments = n;
    this->radius = radius;
    const double pi = std::numbers::pi;
    const double chordMiddle = std::cos(pi / double(n));
    const auto latitude = [&](uint32_t ring) {
        if (ring == 0)
            return -pi / 2.0;
        if (ring + 1 == rings)
            return pi / 2.0;
        return double(2 * ring) * pi / double(n) - pi / 2.0;
    };
    // The four corners of a quad lie in one plane (two parallel chords), whose normal points out at the
    // quad's middle longitude; its tilt and distance from the centre are the same for every quad of the
    // strip.
    planes.setSize(rings - 1);
    for (uint32_t r = 0; r + 1 < rings; ++r) {
        const double lower = latitude(r), upper = latitude(r + 1);
        const double outward = std::sin(upper) - std::sin(lower);
        const double up = chordMiddle * (std::cos(lower) - std::cos(upper));
        const double length = std::hypot(outward, up);
        Plane& plane = planes[r];
        plane.outward = outward / length;
        plane.up = up / length;
        plane.offset =
            double(radius) * (plane.outward * std::cos(lower) * chordMiddle + plane.up * std::sin(lower));
    }
    firsts.setSize(2 * (rings - 1));
    counts.setSize(2 * (rings - 1));
}

int FacingRuns::find(const float (&eye)[3]) {
    if (planes.isEmpty())
        return -1;
    const double ex = eye[0], ey = eye[1], ez = eye[2];
    const double distance = std::sqrt(ex * ex + ey * ey + ez * ez);
    // Near or inside the sphere the margins below mean little, and from inside no front can be seen.
    if (!std::isfinite(distance) || !(distance > 1.001 * double(radius)))
        return -1;
    const uint32_t n = segments;
    const uint32_t stripLength = 2 * n + 4;
    const uint32_t wholeStrip = 2 * n + 2;
    const double pi = std::numbers::pi;
    const double step = 2.0 * pi / double(n);
    const double slack = 1e-3 * (double(radius) + distance);
    const double around = std::hypot(ex, ez);
    // Quad j spans the longitudes j * step to (j + 1) * step: the eye's longitude in quads from the
    // middle of quad 0.
    const double centre = std::atan2(ez, ex) / step - 0.5;

    int pieces = 0;
    const auto add = [&](uint32_t first, uint32_t count) {
        if (pieces > 0) {
            const uint32_t end = firsts[pieces - 1] + uint32_t(counts[pieces - 1]);
            // A run to the end of one strip and a run from the start of the next join through the
            // list's two repeated indices, whose triangles have no area.
            if (end % stripLength == wholeStrip && first == end + 2) {
                counts[pieces - 1] += int32_t(count + 2);
                return;
            }
        }
        firsts[pieces] = first;
        counts[pieces] = int32_t(count);
        ++pieces;
    };

    for (uint32_t r = 0; r < planes.getCount(); ++r) {
        const Plane& plane = planes[r];
        // The eye lies above the plane of the quad centred at longitude t (by at least -slack) when
        // outward * around * cos(t - eye's longitude) > level.
        const double level = plane.offset - slack - plane.up * ey;
        const double reachable = plane.outward * around;
        const uint32_t start = r * stripLength;
        if (reachable <= level)
            continue;
        if (-reachable > level) {
            add(start, wholeStrip);
            continue;
        }
        const double reach = std::acos(level / reachable) + step;
        if (reach >= pi) {
            add(start, wholeStrip);
            continue;
        }
        const double width = reach / step;
        const int64_t lowest = int64_t(std::ceil(centre - width));
        const int64_t count = int64_t(std::floor(centre + width)) - lowest + 1;
        if (count <= 0)
            continue;
        if (count >= int64_t(n)) {
            add(start, wholeStrip);
            continue;
        }
        const uint32_t from = uint32_t(((lowest % int64_t(n)) + int64_t(n)) % int64_t(n));
        const uint32_t to = from + uint32_t(count) - 1;
        if (to < n) {
            add(start + 2 * from, 2 * uint32_t(count) + 2);
        } else {
            // Across longitude 0: the quads from 0 on first, in the list's order.
            add(start, 2 * (to - n + 1) + 2);
            add(start + 2 * from, 2 * (n - from) + 2);
        }
    }
    return pieces;
}

void buildBox(IndexMesh& mesh, float size, bool inward) {
    // Counter-clockwise seen from outside, and the same triangles wound the other way for a sky.
    static const uint16_t outwards[36] = {3, 2, 1, 1, 2, 0, 5, 4, 7, 7, 4, 6, 1, 0, 5, 5, 0, 4,
                                          7, 6, 3, 3, 6, 2, 6, 4, 2, 2, 4, 0, 3, 1, 7, 7, 1, 5};
    static const uint16_t inwards[36] = {2, 3, 1, 1, 0, 2, 4, 5, 7, 7, 6, 4, 0, 1, 5, 5, 4, 0,
                                         6, 7, 3, 3, 2, 6, 4, 6, 2, 2, 0, 4, 1, 3, 7, 7, 5, 1};
    VertexFormat format;
    format.add(type::Float3, attribute::Position);
    format.add(type::Float3, attribute::Normal);
    format.add(type::Float3, attribute::TextureCoordinate0);
    auto vertices = object::Pointer<VertexBuffer>::adopt(VertexBuffer::create(format, 8, StorageStatic));
    auto indices = object::Pointer<IndexBuffer>::adopt(IndexBuffer::create(2, 36, StorageStatic));
    if (!vertices || !indices)
        return;

    if (!vertices->map(MapWriteOnly))
        return;
    float* out = static_cast<float*>(vertices->getData());
    for (int k = 0; k < 8; ++k) {
        const float x = (k & 4) ? 1.0f : -1.0f;
        const float y = (k & 2) ? 1.0f : -1.0f;
        const float z = (k & 1) ? 1.0f : -1.0f;
        const math::Vector3<float> normal = math::normalize(math::Vector3<float>{-x, -y, -z});
        const float vertex[9] = {x * size, y * size, z * size, normal.x, normal.y, normal.z, x, y, -z};
        std::memcpy(out + 9 * k, vertex, sizeof vertex);
    }
    vertices->unmap();

    if (!indices->map(MapWriteOnly))
        return;
    std::memcpy(indices->getData(), inward ? inwards : outwards, sizeof outwards);
    indices->unmap();

    mesh.setPrimitive(GL_TRIANGLES);
    mesh.setIndexBuffer(indices);
    mesh.setVertexBuffer(vertices, 0);
}

void finishModel(Model& model, IndexMesh& mesh, Appearance& appearance, ColourMaterial& material,
                 Shader& shader, float size) {
    mesh.computeBounds();
    ParameterFormat format;
    format.add("modelview", type::Matrix4);
    model.setParameters(format);
    // The last step that may throw: should it, no embedded part refers to another yet, and the members
    // can go in any order.
    model.addMesh(&mesh);

    mesh.setAppearance(&appearance);
    appearance.material.set(&material);
    appearance.shader.set(&shader);
    const float ambient[4] = {0.03f, 0.03f, 0.1f, 0.0f};
    const float diffuse[4] = {0.2f, 0.2f, 0.5f, 0.0f};
    std::memcpy(material.ambient, ambient, sizeof ambient);
    std::memcpy(material.diffuse, diffuse, sizeof diffuse);
    std::memset(material.emission, 0, sizeof material.emission);
    std::memset(material.specular, 0, sizeof material.specular);
    model.setBounds(BoundingBox::fromRange({-size, -size, -size}, {size, size, size}));
}

bool loadModelview(const float* matrix) {
    Context* context = Context::getThreadContext();
    if (!context)
        return false;
    context->matrixStack.setMode(GL_MODELVIEW);
    glLoadTransposeMatrixf(matrix);
    return true;
}

} // namespace korvane::graphics3d::detail
