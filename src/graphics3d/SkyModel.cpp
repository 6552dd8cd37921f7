#include "graphics3d/SkyModel.h"

#include "graphics3d/ModelGeometry.h"

namespace korvane::graphics3d {

SkyModel::SkyModel(int kind, float size, int segments) {
    switch (kind) {
    case 0:
        detail::buildSphere(mesh, size, segments, true);
        break;
    case 1:
        break;
    case 2:
        detail::buildBox(mesh, size, true);
        break;
    default:
        throw TypeException();
    }
    detail::finishModel(*this, mesh, appearance, material, shader, size);
}

SkyModel::~SkyModel() {
    // The embedded parts refer to each other: drop those references before they go.
    releaseMeshes();
    mesh.setAppearance(nullptr);
    appearance.material.reset();
    appearance.shader.reset();
}

types::String SkyModel::getClassPath() const {
    return types::String::concat(Model::getClassPath(), ":SkyModel");
}

void SkyModel::draw(const ParameterBuffer* parameters) {
    float matrix[16];
    if (!readMatrix(parameters, 0, matrix))
        return;
    // Centred on the viewer.
    matrix[3] = matrix[7] = matrix[11] = 0.0f;
    if (detail::loadModelview(matrix))
        mesh.draw();
}

} // namespace korvane::graphics3d
