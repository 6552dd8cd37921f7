#include "graphics3d/Model.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "graphics3d/ParameterBuffer.h"

namespace korvane::graphics3d {

types::String Animation::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Animation");
}

Model::~Model() {
    releaseMeshes();
    for (Animation* animation : animations)
        animation->release();
}

types::String Model::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Model");
}

void Model::update(uint32_t, uint32_t, uint32_t) {}

bool Model::readMatrix(const ParameterBuffer* parameters, int32_t offset, float* matrix) {
    if (!parameters || offset < 0 || uint64_t(offset) + 16 * sizeof(float) > parameters->getSize())
        return false;
    std::memcpy(matrix, parameters->getData() + offset, 16 * sizeof(float));
    return true;
}

bool Model::pick(const ParameterBuffer* block, const Line& ray, Hit* hit) {
    float values[16];
    if (!readMatrix(block, modelviewOffset, values))
        return false;
    const math::Matrix modelview(values);
    math::Matrix inverse = modelview;
    if (!math::invert(inverse))
        return false;
    const Line local{math::transform(inverse, ray.origin), math::transformVector(inverse, ray.direction)};

    if (!hit) {
        for (Mesh* mesh : meshes) {
            if (Mesh::Collider* collider = mesh->getCollider();
                collider && collider->intersectRay(local, nullptr))
                return true;
        }
        return false;
    }
    // The direction is carried over linearly, so distances along both rays agree.
    hit->distance = std::numeric_limits<float>::infinity();
    bool found = false;
    for (Mesh* mesh : meshes) {
        Mesh::Collider* collider = mesh->getCollider();
        Mesh::Collider::Hit meshHit;
        if (!collider || !collider->intersectRay(local, &meshHit) || !(meshHit.distance < hit->distance))
            continue;
        found = true;
        hit->model = this;
        hit->mesh = mesh;
        hit->point = math::transform(modelview, meshHit.point);
        hit->normal = math::transformVector(modelview, meshHit.normal);
        hit->distance = meshHit.distance;
    }
    return found;
}

bool Model::computeBounds(bool recompute) {
    if (meshes.isEmpty()) {
        bounds = BoundingBox();
        return true;
    }
    math::Vector3<float> minimum{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::max()};
    math::Vector3<float> maximum = -minimum;
    for (Mesh* mesh : meshes) {
        if (recompute)
            mesh->computeBounds();
        const BoundingBox& box = mesh->getBounds();
        for (int corner = 0; corner < 8; ++corner) {
            math::Vector3<float> point = box.center;
            for (int axis = 0; axis < 3; ++axis) {
                if (corner & (1 << axis))
                    point += box.axes[axis];
                else
                    point -= box.axes[axis];
            }
            for (int axis = 0; axis < 3; ++axis) {
                minimum[axis] = std::min(minimum[axis], point[axis]);
                maximum[axis] = std::max(maximum[axis], point[axis]);
            }
        }
    }
    bounds = BoundingBox::fromRange(minimum, maximum);
    return true;
}

bool Model::createColliders(bool force) {
    bool complete = true;
    for (Mesh* mesh : meshes) {
        if (force || !mesh->getCollider()) {
            mesh->setCollider(nullptr);
            mesh->createCollider();
        }
        complete = complete && mesh->getCollider() != nullptr;
    }
    return complete;
}

void Model::clear() {
    parameters = ParameterFormat();
    modelviewOffset = -1;
    joints.clear();
    bounds = BoundingBox();
    releaseMeshes();
    for (Animation* animation : animations)
        animation->release();
    animations = container::Array<Animation*>();
}

void Model::setParameters(const ParameterFormat& format) {
    parameters = format;
    parameters.compact();
    const ParameterFormat::Component* matrix = parameters.find("modelview");
    if (matrix == parameters.end())
        matrix = parameters.find("model");
    modelviewOffset = matrix != parameters.end() ? int32_t(matrix->offset) : -1;
}

void Model::addMesh(Mesh* mesh) {
    if (!mesh)
        return;
    meshes.append(mesh);
    mesh->addReference();
}

void Model::releaseMeshes() {
    for (Mesh* mesh : meshes)
        mesh->release();
    meshes = container::Array<Mesh*>();
}

} // namespace korvane::graphics3d
