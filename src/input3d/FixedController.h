#pragma once

#include "input3d/Controller.h"

namespace korvane::input3d {

/// A controller whose transform is a stored matrix, copied on every update.
class FixedController : public Controller {
public:
    FixedController() = default;

    void update(float dt) override;

    void setStored(const math::Matrix& matrix) { stored = matrix; }
    const math::Matrix& getStored() const { return stored; }

    types::String getClassPath() const override;

private:
    math::Matrix stored;
};

} // namespace korvane::input3d
