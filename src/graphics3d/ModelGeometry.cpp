#include "graphics3d/ModelGeometry.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "graphics3d/Context.h"
#include "graphics3d/MeshBuilder.h"
#include "graphics3d/OpenGL.h"
#include "graphics3d/TypeCode.h"

namespace korvane::graphics3d::detail {

void buildSphere(IndexMesh& mesh, float radius, int segments, bool inward) {
    if (segments < 2)
        return;
    const uint32_t n = uint32_t(segments);
    const uint32_t rings = n / 2 + 1;
    // Every vertex and index must be numbered with 32 bits.
    if (uint64_t(n + 1) * rings > UINT32_MAX || uint64_t(rings - 1) * (2 * n + 4) > UINT32_MAX)
        return;
    const float sign = inward ? -1.0f : 1.0f;
    const float pi = std::numbers::pi_v<float>;

    MeshBuilder builder;
    builder.setAttributes(attribute::Position | attribute::Normal | attribute::TextureCoordinate0);
    builder.setPrimitive(GL_TRIANGLE_STRIP);
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
    appearance.material = &material;
    appearance.shader = &shader;
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
