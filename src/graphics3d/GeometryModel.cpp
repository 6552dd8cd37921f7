#include "graphics3d/GeometryModel.h"

#include <algorithm>
#include <cmath>

#include "graphics3d/GL.h"
#include "graphics3d/ModelGeometry.h"
#include "math/Matrix.h"

namespace korvane::graphics3d {

GeometryModel::GeometryModel(int kind, float size, int segments) {
    switch (kind) {
    case 0:
        detail::buildSphere(mesh, size, segments, false);
        sphereIndices = mesh.getIndexBuffer();
        sphereVertices = mesh.getVertexBuffer(0);
        if (sphereIndices && sphereVertices)
            facing = detail::FacingRuns(segments, size);
        break;
    case 1:
        detail::buildBox(mesh, size, false);
        break;
    default:
        throw TypeException();
    }
    detail::finishModel(*this, mesh, appearance, material, shader, size);
}

GeometryModel::~GeometryModel() {
    // The embedded parts refer to each other: drop those references before they go.
    releaseMeshes();
    mesh.setAppearance(nullptr);
    appearance.material.reset();
    appearance.shader.reset();
}

types::String GeometryModel::getClassPath() const {
    return types::String::concat(Model::getClassPath(), ":GeometryModel");
}

void GeometryModel::draw(const ParameterBuffer* parameters) {
    float matrix[16];
    if (readMatrix(parameters, 0, matrix) && detail::loadModelview(matrix))
        mesh.draw();
}

void GeometryModel::drawFacing(const ParameterBuffer* parameters) {
    float matrix[16];
    if (!readMatrix(parameters, 0, matrix) || !detail::loadModelview(matrix))
        return;
    float eye[3];
    // Only the sphere as built is known strip by strip.
    if (sphereIndices && (mesh.getIndexBuffer() != sphereIndices.get() ||
                          mesh.getVertexBuffer(0) != sphereVertices.get() || mesh.getBufferCount() != 1)) {
        sphereIndices = nullptr;
        sphereVertices = nullptr;
    }
    const bool asBuilt = sphereIndices && !mesh.hasSubRange() && mesh.getPrimitive() == GL_TRIANGLE_STRIP;
    if (!asBuilt || !eyeInModel(matrix, eye)) {
        mesh.draw();
        return;
    }
    const int pieces = facing.find(eye);
    if (pieces < 0)
        mesh.draw();
    else
        mesh.drawPieces(facing.getFirsts(), facing.getCounts(), uint32_t(pieces));
}

bool GeometryModel::eyeInModel(const float* m, float (&eye)[3]) {
    if (m[12] != 0.0f || m[13] != 0.0f || m[14] != 0.0f || m[15] != 1.0f)
        return false;
    math::Matrix inverse;
    std::copy_n(m, 16, inverse.elements);
    // A negative determinant of the linear part mirrors, turning fronts into backs.
    const math::Vector3<float> rows[3] = {{m[0], m[1], m[2]}, {m[4], m[5], m[6]}, {m[8], m[9], m[10]}};
    if (!(math::dot(rows[0], math::cross(rows[1], rows[2])) > 0.0f) || !math::invert(inverse))
        return false;
    // The eye is where the inverse takes the view's origin.
    const math::Vector3<float> origin = inverse.getTranslation();
    eye[0] = origin.x;
    eye[1] = origin.y;
    eye[2] = origin.z;
    return std::isfinite(eye[0]) && std::isfinite(eye[1]) && std::isfinite(eye[2]);
}

} // namespace korvane::graphics3d
