#include "graphics3d/GeometryModel.h"

#include "graphics3d/ModelGeometry.h"

namespace korvane::graphics3d {

GeometryModel::GeometryModel(int kind, float size, int segments) {
    switch (kind) {
    case 0:
        detail::buildSphere(mesh, size, segments, false);
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

} // namespace korvane::graphics3d
