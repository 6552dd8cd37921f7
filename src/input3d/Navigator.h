#pragma once

#include "input3d/Controller.h"

namespace korvane::input3d {

/// Steps a chain of controllers once per frame and combines their transforms: the matrix is
/// T(controller) * T(parent) * T(grandparent) ..., so the controller's own transform acts last on points.
/// Holds a reference to its controller; used on the thread that draws the frame.
class Navigator : public object::Object, private object::Noncopyable {
public:
    Navigator() = default;

    void setController(Controller* controller);
    Controller* getController() const { return controller; }

    /// Steps the first controller with dt 1.0 and every parent with dt, then combines them. Without a
    /// controller the matrix stays as it is.
    void update(float dt);

    const math::Matrix& getMatrix() const { return matrix; }

    types::String getClassPath() const override;

private:
    math::Matrix matrix;
    object::Pointer<Controller> controller;
};

} // namespace korvane::input3d
