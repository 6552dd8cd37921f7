#include "graphics3d/GeometryModel.h"

#include <cmath>

#include "graphics3d/ModelGeometry.h"
#include "graphics3d/OpenGL.h"

namespace korvane::graphics3d {

GeometryModel::GeometryModel(int kind, float size, int segments) {
    switch (kind) {
    case 0:
        detail::buildSphere(mesh, size, segments, false);
        sphereIndices = mesh.getIndexBuffer();
        sphereVertices = mesh.getVertexBuffer(0);
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
    appearance.material = nullptr;
    appearance.shader = nullptr;
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
    const bool asBuilt = sphereIndices && mesh.getIndexBuffer() == sphereIndices &&
                         mesh.getVertexBuffer(0) == sphereVertices && !mesh.hasSubRange() &&
                         mesh.getPrimitive() == GL_TRIANGLE_STRIP;
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
    // The eye x satisfies A x + t = 0 for the linear part A and the translation t: x = -A^-1 t, with the
    // inverse from the cofactors. A negative determinant mirrors, turning fronts into backs.
    const double a[3][3] = {{m[0], m[1], m[2]}, {m[4], m[5], m[6]}, {m[8], m[9], m[10]}};
    const double t[3] = {m[3], m[7], m[11]};
    double cofactor[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            cofactor[r][c] = a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1];
        }
    const double determinant = a[0][0] * cofactor[0][0] + a[0][1] * cofactor[0][1] + a[0][2] * cofactor[0][2];
    if (!(determinant > 0.0) || !std::isfinite(determinant))
        return false;
    for (int c = 0; c < 3; ++c) {
        // Row c of the inverse is column c of the cofactors over the determinant.
        const double value =
            -(cofactor[0][c] * t[0] + cofactor[1][c] * t[1] + cofactor[2][c] * t[2]) / determinant;
        if (!std::isfinite(value))
            return false;
        eye[c] = float(value);
    }
    return true;
}

} // namespace korvane::graphics3d
