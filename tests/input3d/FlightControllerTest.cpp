#include <cmath>

#include <gtest/gtest.h>

#include "gui/Input.h"
#include "input/KeyboardDispatcher.h"
#include "input/MouseDispatcher.h"
#include "input3d/FlightController.h"
#include "object/Pointer.h"
#include "platform/Window.h"
#include "support/input3d/MatrixChecks.h"

using namespace korvane;
using input3d::FlightController;
using korvane::testing::expectNearMatrix;
using korvane::testing::orthonormalError;
using math::Matrix;
using Vector = math::Vector3<float>;

namespace {

object::Pointer<FlightController> makeFlight() {
    return object::Pointer<FlightController>::adopt(new FlightController);
}

Vector column(const Matrix& m, int c) {
    return {m(0, c), m(1, c), m(2, c)};
}

void expectNear(const Vector& actual, const Vector& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

} // namespace

TEST(FlightControllerTest, MovesByThrottleStepAndTimeOnlyWhenThrottled) {
    auto flight = makeFlight();
    flight->setStep(2);
    flight->reset();
    EXPECT_EQ(flight->getThrottle(), 0);
    flight->update(1);
    flight->update(5);
    EXPECT_EQ(flight->getTransform(), Matrix::identity());

    flight->onMouseButton({0, 0}, gui::ButtonLeftDown);
    EXPECT_FLOAT_EQ(flight->getThrottle(), -0.1f);
    flight->update(3);
    expectNear(flight->getTransform().getTranslation(), {0, 0, -0.6f});
    flight->onMouseButton({0, 0}, gui::ButtonLeftUp);
    EXPECT_EQ(flight->getThrottle(), 0);
    flight->onMouseButton({0, 0}, gui::ButtonRightDown);
    EXPECT_FLOAT_EQ(flight->getThrottle(), 0.1f);
    flight->onMouseButton({0, 0}, gui::ButtonMiddleDown);
    EXPECT_FLOAT_EQ(flight->getThrottle(), 0.1f);
    flight->onMouseButton({0, 0}, gui::ButtonRightUp);
    EXPECT_EQ(flight->getThrottle(), 0);
}

TEST(FlightControllerTest, ArrowKeysTurnAboutUpAndMoveAlongTheThirdColumn) {
    auto flight = makeFlight();
    auto keys = object::Pointer<input::KeyboardDispatcher>::adopt(new input::KeyboardDispatcher);
    keys->addListener(flight);
    flight->setStep(4);
    flight->reset();

    flight->onKeyDown(platform::VK_UP);
    expectNear(flight->getTransform().getTranslation(), {0, 0, -4});
    flight->onKeyDown(platform::VK_DOWN);
    flight->onKeyDown(platform::VK_DOWN);
    expectNear(flight->getTransform().getTranslation(), {0, 0, 4});
    flight->onKeyDown('A');
    flight->onKeyUp(platform::VK_UP);
    flight->onChar('a', 0);
    expectNear(flight->getTransform().getTranslation(), {0, 0, 4});

    // Left turns the forward axis by -(-4 pi/128) about up; the translation stays where it is.
    flight->onKeyDown(platform::VK_LEFT);
    const float a = 4 * 3.14159265f / 128;
    const Matrix& m = flight->getTransform();
    expectNear(column(m, 2), {std::sin(a), 0, std::cos(a)});
    expectNear(column(m, 0), {std::cos(a), 0, -std::sin(a)});
    expectNear(column(m, 1), {0, 1, 0});
    expectNear(m.getTranslation(), {0, 0, 4});
    flight->onKeyDown(platform::VK_RIGHT);
    expectNearMatrix(flight->getTransform(), Matrix::translation(0, 0, 4), 1e-5);

    // Moving follows the normalised third column whatever its length.
    flight->onKeyDown(platform::VK_LEFT);
    flight->onKeyDown(platform::VK_UP);
    expectNear(flight->getTransform().getTranslation(),
               Vector{0, 0, 4} - 4 * column(flight->getTransform(), 2));
}

TEST(FlightControllerTest, DraggingSteersAndKeepsTheAxesOrthonormal) {
    auto flight = makeFlight();
    auto mice = object::Pointer<input::MouseDispatcher>::adopt(new input::MouseDispatcher);
    mice->addListener(flight);
    mice->dispatchResize({0, 0, 200, 100});
    flight->reset();
    // Hovering turns nothing.
    mice->dispatchMouseMove({150, 20}, gui::ButtonLeftUp | gui::ButtonRightUp | gui::ButtonMiddleUp);
    EXPECT_EQ(flight->getTransform(), Matrix::identity());

    // Dragging up with the left button pitches the forward axis by the normalised distance.
    mice->dispatchMouseButton({100, 50}, gui::ButtonLeftDown);
    mice->dispatchMouseMove({100, 40}, gui::ButtonLeftDown);
    EXPECT_FLOAT_EQ(flight->getThrottle(), -0.1f);
    expectNear(column(flight->getTransform(), 2), {0, -std::sin(0.2f), std::cos(0.2f)});
    for (int i = 0; i < 2000; ++i)
        mice->dispatchMouseMove({float(100 + 90 * std::sin(i * 0.37)), float(50 + 45 * std::cos(i * 0.23))},
                                i % 2 ? gui::ButtonRightDown : gui::ButtonMiddleDown);
    EXPECT_FLOAT_EQ(flight->getThrottle(), 0.1f);
    const Matrix& m = flight->getTransform();
    EXPECT_LT(orthonormalError(m), 1e-3);
    EXPECT_EQ(m(3, 0), 0);
    EXPECT_EQ(m(3, 3), 1);
}

TEST(FlightControllerTest, ResetRestoresTheAxesAsAnInvertibleTransform) {
    auto flight = makeFlight();
    flight->setRight({0, 0, -2});
    flight->setUp({0, 1, 0});
    flight->setForward({1, 0, 0});
    flight->onKeyDown(platform::VK_UP);
    flight->reset();
    const Matrix expected(0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1);
    EXPECT_EQ(flight->getTransform(), expected);
    Matrix inverse = flight->getTransform();
    EXPECT_TRUE(math::invert(inverse));
}
