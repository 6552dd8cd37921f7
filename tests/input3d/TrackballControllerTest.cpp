#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

#include "gui/Input.h"
#include "input3d/TrackballController.h"
#include "object/Pointer.h"
#include "support/input3d/MatrixChecks.h"

using namespace korvane;
using input3d::TrackballController;
using korvane::testing::expectNearMatrix;
using korvane::testing::orthonormalError;

namespace {

constexpr uint32_t released = gui::ButtonLeftUp | gui::ButtonMiddleUp | gui::ButtonRightUp;
constexpr uint32_t left = gui::ButtonLeftDown | gui::ButtonMiddleUp | gui::ButtonRightUp;
constexpr uint32_t right = gui::ButtonLeftUp | gui::ButtonMiddleUp | gui::ButtonRightDown;
constexpr uint32_t middle = gui::ButtonLeftUp | gui::ButtonMiddleDown | gui::ButtonRightUp;

// The trackball's arithmetic redone in double precision from its definition: the lifted points, the
// capped angle, the Rodrigues matrix post-multiplied onto the rotation, pan and dolly in pixels, and a
// transform that turns about the pivot and then adds the offset (turned unless along the view).
struct Model {
    double r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double offset[3] = {0, 0, 0};
    double pivot[3] = {0, 0, 0};
    double center[2] = {0, 0}, half[2] = {2, 2}, last[2] = {0, 0};
    double radius = 0.8, speed = 1;
    bool alongView = false;

    void resize(double x, double y, double w, double h) {
        center[0] = x + w / 2;
        center[1] = y + h / 2;
        half[0] = w / 2;
        half[1] = h / 2;
    }
    void lift(const double p[2], double out[3]) const {
        const double u = (p[0] - center[0]) / half[0], v = (p[1] - center[1]) / half[1];
        const double t = u * u + v * v, rr = radius * radius;
        out[0] = u;
        out[1] = v;
        out[2] = t < rr / 2 ? std::sqrt(rr - t) : rr / (2 * std::sqrt(t));
    }
    void move(double x, double y, uint32_t state) {
        const double p[2] = {x, y};
        if (state & gui::ButtonLeftDown) {
            double a[3], b[3];
            lift(last, a);
            lift(p, b);
            double axis[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                              a[0] * b[1] - a[1] * b[0]};
            const double n = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
            if (n >= 0.001) {
                const double d = std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                                           (a[2] - b[2]) * (a[2] - b[2]));
                const double angle = -2 * std::asin(std::min(d / (2 * radius), 1.0));
                const double x = axis[0] / n, y = axis[1] / n, z = axis[2] / n;
                const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
                const double q[3][3] = {{c + t * x * x, t * x * y - s * z, t * x * z + s * y},
                                        {t * x * y + s * z, c + t * y * y, t * y * z - s * x},
                                        {t * x * z - s * y, t * y * z + s * x, c + t * z * z}};
                double next[3][3] = {};
                for (int i = 0; i < 3; ++i)
                    for (int j = 0; j < 3; ++j)
                        for (int k = 0; k < 3; ++k)
                            next[i][j] += r[i][k] * q[k][j];
                std::copy(&next[0][0], &next[0][0] + 9, &r[0][0]);
            }
        }
        if (state & gui::ButtonRightDown) {
            const double d[3] = {(last[0] - x) * speed, (y - last[1]) * speed, 0};
            for (int i = 0; i < 3; ++i)
                offset[i] += alongView ? r[i][0] * d[0] + r[i][1] * d[1] : d[i];
        }
        if (state & gui::ButtonMiddleDown)
            along((y - last[1]) * speed);
        last[0] = x;
        last[1] = y;
    }
    void along(double d) {
        for (int i = 0; i < 3; ++i)
            offset[i] += alongView ? d * r[i][2] : (i == 2 ? d : 0);
    }
    void wheel(double delta) { along(delta * speed); }
    void transform(double out[16]) const {
        for (int i = 0; i < 3; ++i) {
            double turnedPivot = 0, turnedOffset = 0;
            for (int k = 0; k < 3; ++k) {
                out[4 * i + k] = r[i][k];
                turnedPivot += r[i][k] * pivot[k];
                turnedOffset += r[i][k] * offset[k];
            }
            out[4 * i + 3] = pivot[i] - turnedPivot + (alongView ? offset[i] : turnedOffset);
        }
        out[12] = out[13] = out[14] = 0;
        out[15] = 1;
    }
};

struct Pair {
    object::Pointer<TrackballController> trackball =
        object::Pointer<TrackballController>::adopt(new TrackballController);
    Model model;

    void resize(float x, float y, float w, float h) {
        trackball->onResize({x, y, w, h});
        model.resize(x, y, w, h);
    }
    void move(float x, float y, uint32_t state) {
        trackball->onMouseMove({x, y}, state);
        model.move(x, y, state);
    }
    void wheel(float delta) {
        trackball->onMouseWheel(delta);
        model.wheel(delta);
    }
    void check(const char* when) {
        SCOPED_TRACE(when);
        trackball->update(1);
        double expected[16];
        model.transform(expected);
        expectNearMatrix(trackball->getTransform(), expected, 1e-5);
    }
};

// Replaces whatever transform it is given, as a constraint that corrects it would.
class Replace : public input3d::TransformConstraint {
public:
    explicit Replace(const math::Matrix& target) : target(target) {}
    bool apply(math::Matrix& transform) override {
        transform = target;
        return true;
    }

private:
    math::Matrix target;
};

// The angle of the rotation in the upper 3x3 part, from its trace.
double rotationAngle(const math::Matrix& m) {
    const double trace = double(m(0, 0)) + m(1, 1) + m(2, 2);
    return std::acos(std::clamp((trace - 1) / 2, -1.0, 1.0));
}

} // namespace

TEST(TrackballControllerTest, DragsPansDolliesAndWheelTurnsFollowTheFormulas) {
    for (bool alongView : {false, true}) {
        SCOPED_TRACE(alongView ? "along the view" : "along fixed axes");
        Pair pair;
        pair.trackball->setAlongView(alongView);
        pair.model.alongView = alongView;
        // Before any resize the trackball works in raw pixels around the origin.
        pair.move(0.5f, 0.25f, released);
        pair.move(0.9f, -0.4f, left);
        pair.check("raw pixels");

        pair.resize(0, 0, 600, 500);
        pair.move(300, 250, released);
        pair.move(340, 230, left); // inside the sphere
        pair.move(520, 100, left); // onto the hyperbolic sheet
        pair.move(590, 480, left); // along the sheet
        pair.check("drags");
        pair.move(560, 470, right);
        pair.move(500, 420, right | gui::ModifierShift);
        pair.check("pans");
        pair.move(500, 380, middle);
        pair.move(480, 410, left | gui::ButtonMiddleDown);
        pair.check("dolly and drag together");
        pair.wheel(-120);
        pair.wheel(240);
        pair.trackball->setSpeed(0.25f);
        pair.model.speed = 0.25;
        pair.wheel(-360);
        pair.move(420, 300, right);
        pair.check("wheel and slower pans");
    }
}

TEST(TrackballControllerTest, TurnsAboutThePivot) {
    for (bool alongView : {false, true}) {
        SCOPED_TRACE(alongView ? "along the view" : "along fixed axes");
        Pair pair;
        pair.trackball->setAlongView(alongView);
        pair.model.alongView = alongView;
        pair.trackball->setPivot({10, -20, 30});
        std::copy_n(std::begin({10.0, -20.0, 30.0}), 3, pair.model.pivot);
        pair.resize(0, 0, 400, 400);
        pair.move(200, 200, released);
        pair.move(260, 150, left);
        pair.move(300, 320, left);
        pair.check("drags");
        math::Vector3<float> image = math::transform(pair.trackball->getTransform(), {10, -20, 30});
        EXPECT_NEAR(image.x, 10, 1e-4);
        EXPECT_NEAR(image.y, -20, 1e-4);
        EXPECT_NEAR(image.z, 30, 1e-4);

        // A pan event without motion must not move anything, however often it comes.
        const math::Matrix before = pair.trackball->getTransform();
        for (int i = 0; i < 10; ++i)
            pair.move(300, 320, right);
        pair.check("still pans");
        expectNearMatrix(pair.trackball->getTransform(), before, 1e-6);
    }
}

TEST(TrackballControllerTest, TinyDragsChangeNothingAndNoDragTurnsMoreThanHalfARevolution) {
    auto trackball = object::Pointer<TrackballController>::adopt(new TrackballController);
    trackball->onResize({0, 0, 600, 500});
    trackball->onMouseMove({310, 260}, released);
    trackball->onMouseMove({310.05f, 260.05f}, left);
    trackball->onMouseMove({300, 250}, released);
    trackball->onMouseMove({300, 250}, left); // both points at the top of the ball: no axis
    trackball->update(1);
    EXPECT_EQ(trackball->getRotation(), math::Matrix::identity());
    EXPECT_EQ(trackball->getTransform(), math::Matrix::identity());

    // Across the whole view and far beyond: the lifted points are further apart than the diameter.
    trackball->onMouseMove({-2000, 250}, released);
    trackball->onMouseMove({2600, 240}, left);
    const math::Matrix& turned = trackball->getRotation();
    EXPECT_NEAR(rotationAngle(turned), std::numbers::pi, 1e-3);
    EXPECT_LT(orthonormalError(turned), 1e-5);

    std::mt19937 random(7);
    std::uniform_real_distribution<float> anywhere(-5000, 5000);
    for (int i = 0; i < 200; ++i) {
        const math::Matrix before = trackball->getRotation();
        trackball->onMouseMove({anywhere(random), anywhere(random)}, left);
        // The change of this one event, before^T * after, is one turn of at most pi.
        math::Matrix change = transpose(before) * trackball->getRotation();
        for (float e : change.elements)
            ASSERT_TRUE(std::isfinite(e));
        ASSERT_LE(rotationAngle(change), std::numbers::pi + 1e-4);
    }
}

TEST(TrackballControllerTest, StaysOrthonormalOverLongUse) {
    auto trackball = object::Pointer<TrackballController>::adopt(new TrackballController);
    trackball->onResize({0, 0, 640, 480});
    std::mt19937 random(20261208);
    std::uniform_real_distribution<float> x(-100, 740), y(-100, 580);
    double worst = 0;
    for (int i = 0; i < 100000; ++i) {
        trackball->onMouseMove({x(random), y(random)}, left);
        worst = std::max(worst, orthonormalError(trackball->getRotation()));
    }
    char figure[32];
    std::snprintf(figure, sizeof figure, "%.3g", worst);
    RecordProperty("worstOrthonormalError", figure);
    EXPECT_LT(worst, 1e-4);
    trackball->update(1);
    EXPECT_LT(orthonormalError(trackball->getTransform()), 1e-4);
}

TEST(TrackballControllerTest, WheelTowardsTheUserMovesAlongNegativeZ) {
    auto trackball = object::Pointer<TrackballController>::adopt(new TrackballController);
    trackball->onMouseWheel(-120);
    EXPECT_EQ(trackball->getOffset().z, -120);
    trackball->update(1);
    EXPECT_EQ(trackball->getTransform().getTranslation().z, -120);
}

TEST(TrackballControllerTest, SyncTakesOverAChangedTransform) {
    for (bool alongView : {false, true}) {
        SCOPED_TRACE(alongView ? "along the view" : "along fixed axes");
        auto trackball = object::Pointer<TrackballController>::adopt(new TrackballController);
        trackball->setAlongView(alongView);
        trackball->setPivot({5, 6, -7});
        trackball->onResize({0, 0, 300, 300});
        trackball->onMouseMove({150, 150}, released);
        trackball->onMouseMove({200, 120}, left);
        trackball->onMouseMove({230, 140}, middle);

        // A constraint that leaves another rotation and another translation; its step syncs them.
        math::Matrix changed = math::Matrix::rotation(0.7f, {1, 2, 3});
        changed.setTranslation({40, -50, 60});
        auto constraint = object::Pointer<Replace>::adopt(new Replace(changed));
        trackball->setConstraint(constraint);
        trackball->step(1);
        trackball->setConstraint(nullptr);
        trackball->update(1);
        expectNearMatrix(trackball->getTransform(), changed, 1e-5);

        // Later input goes on from there: a drag still turns about the pivot.
        trackball->onMouseMove({150, 150}, released);
        trackball->onMouseMove({180, 170}, left);
        trackball->update(1);
        EXPECT_LT(orthonormalError(trackball->getTransform()), 1e-5);
    }
}

TEST(TrackballControllerTest, SyncWithASingularTransformClearsTheOffset) {
    auto trackball = object::Pointer<TrackballController>::adopt(new TrackballController);
    trackball->setOffset({1, 2, 3});
    math::Matrix flat = math::Matrix::scaling(1, 0, 1);
    flat.setTranslation({4, 5, 6});
    auto constraint = object::Pointer<Replace>::adopt(new Replace(flat));
    trackball->setConstraint(constraint);
    trackball->step(1);
    EXPECT_EQ(trackball->getOffset(), (math::Vector3<float>{0, 0, 0}));
}

TEST(TrackballControllerTest, DegenerateInputLeavesTheStateUsable) {
    auto trackball = object::Pointer<TrackballController>::adopt(new TrackballController);
    trackball->onResize({0, 0, 200, 100});
    trackball->onResize({0, 0, 0, 0}); // a minimised view
    trackball->onMouseMove({100, 50}, released);
    trackball->onMouseMove({120, 50}, left);
    trackball->onMouseMove({NAN, 50}, left | gui::ButtonRightDown);
    trackball->onMouseMove({140, INFINITY}, left);
    trackball->onMouseWheel(NAN);
    EXPECT_FALSE(trackball->setRadius(0));
    EXPECT_FALSE(trackball->setRadius(-1));
    EXPECT_TRUE(trackball->setRadius(0.5f));
    trackball->onMouseMove({150, 60}, left | gui::ButtonRightDown);
    trackball->update(1);
    for (float e : trackball->getTransform().elements)
        EXPECT_TRUE(std::isfinite(e));
    EXPECT_GT(rotationAngle(trackball->getRotation()), 0.01);

    trackball->reset();
    EXPECT_EQ(trackball->getRotation(), math::Matrix::identity());
    EXPECT_EQ(trackball->getOffset(), (math::Vector3<float>{0, 0, 0}));
}

TEST(TrackballControllerTest, ADragStartsWhereTheButtonWentDown) {
    // Moves taken by other views never reach the trackball; the press tells it where the drag begins.
    auto trackball = object::Pointer<TrackballController>::adopt(new TrackballController);
    trackball->onResize({0, 0, 600, 500});
    trackball->onMouseMove({20, 30}, released);
    trackball->onMouseButton({300, 250}, gui::ButtonLeftDown);
    trackball->onMouseMove({300.02f, 250.01f}, left);
    EXPECT_EQ(trackball->getRotation(), math::Matrix::identity());
}
