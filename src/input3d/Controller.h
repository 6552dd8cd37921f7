#pragma once

#include "input3d/TransformConstraint.h"
#include "math/Matrix.h"
#include "object/Noncopyable.h"
#include "object/Object.h"
#include "object/Pointer.h"

namespace korvane::input3d {

/// Turns input into a 4x4 transform. Controllers form chains through their parents, whose transforms
/// the Navigator applies after their own; an optional constraint corrects the transform after each step.
/// Holds references to its parent and its constraint. Used on the thread that steps it (the one that
/// receives the input and draws the frame).
class Controller : public object::Object, private object::Noncopyable {
public:
    Controller() = default;
    ~Controller() override;

    /// Returns the controller to its initial state.
    virtual void reset();
    /// Computes the transform for a frame dt long.
    virtual void update(float dt);
    /// Brings the controller's own state in line with a transform that its constraint has changed.
    virtual void sync();

    /// One step: update, then let the constraint correct the transform and sync when it did.
    void step(float dt);

    /// Refuses (returns false) a parent whose chain leads back to this controller, which would make every
    /// walk up the chain endless. Null clears the parent.
    bool setParent(Controller* parent);
    Controller* getParent() const { return parent; }
    void setConstraint(TransformConstraint* constraint);
    TransformConstraint* getConstraint() const { return constraint; }

    const math::Matrix& getTransform() const { return transform; }

    types::String getClassPath() const override;

protected:
    math::Matrix transform;

private:
    object::Pointer<Controller> parent;
    object::Pointer<TransformConstraint> constraint;
};

} // namespace korvane::input3d
