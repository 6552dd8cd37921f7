#include <gtest/gtest.h>

#ifndef _WIN32
#include <pthread.h>
#endif

#include "gui/Input.h"
#include "input/MouseDispatcher.h"
#include "input3d/FixedController.h"
#include "input3d/FlightController.h"
#include "input3d/Navigator.h"
#include "input3d/TrackballController.h"
#include "object/Pointer.h"
#include "support/input3d/MatrixChecks.h"

using namespace korvane;
using namespace korvane::input3d;
using korvane::testing::expectNearMatrix;
using math::Matrix;

namespace {

template <typename T> object::Pointer<T> make() {
    return object::Pointer<T>::adopt(new T);
}

object::Pointer<FixedController> fixed(const Matrix& stored) {
    auto controller = make<FixedController>();
    controller->setStored(stored);
    return controller;
}

// Three transforms that do not commute, and their products computed in double precision.
const Matrix first = [] {
    Matrix m = Matrix::rotation(0.4f, {0, 1, 0});
    m.setTranslation({1, 2, 3});
    return m;
}();
const Matrix second = [] {
    Matrix m = Matrix::scaling(2, 1, 0.5f);
    m.setTranslation({-4, 0, 7});
    return m;
}();
const Matrix third = [] {
    Matrix m = Matrix::rotation(-1.1f, {1, 0, 1});
    m.setTranslation({0, 5, -6});
    return m;
}();

Matrix product(std::initializer_list<Matrix> factors) {
    double result[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const Matrix& f : factors) {
        double next[16] = {};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                for (int k = 0; k < 4; ++k)
                    next[4 * r + c] += result[4 * r + k] * double(f.elements[4 * k + c]);
        std::copy(next, next + 16, result);
    }
    Matrix m;
    for (int i = 0; i < 16; ++i)
        m.elements[i] = float(result[i]);
    return m;
}

} // namespace

TEST(NavigatorTest, CombinesChainsOfOneTwoAndThreeControllersInOrder) {
    auto navigator = make<Navigator>();
    navigator->update(1);
    EXPECT_EQ(navigator->getMatrix(), Matrix::identity());

    auto a = fixed(first), b = fixed(second), c = fixed(third);
    navigator->setController(a);
    navigator->update(0.25f);
    EXPECT_EQ(navigator->getMatrix(), first);

    ASSERT_TRUE(a->setParent(b));
    navigator->update(0.25f);
    expectNearMatrix(navigator->getMatrix(), product({first, second}), 1e-5);

    ASSERT_TRUE(b->setParent(c));
    navigator->update(0.25f);
    expectNearMatrix(navigator->getMatrix(), product({first, second, third}), 1e-5);

    // An identity parent changes nothing; losing the controller leaves the last matrix in place.
    c->setStored(Matrix::identity());
    navigator->update(1);
    expectNearMatrix(navigator->getMatrix(), product({first, second}), 1e-5);
    const Matrix last = navigator->getMatrix();
    navigator->setController(nullptr);
    navigator->update(1);
    EXPECT_EQ(navigator->getMatrix(), last);
}

TEST(NavigatorTest, StepsTheFirstControllerWithUnitTimeAndParentsWithTheCallersTime) {
    auto front = make<FlightController>(), back = make<FlightController>();
    front->setThrottle(2);
    back->setThrottle(3);
    front->setParent(back);
    auto navigator = make<Navigator>();
    navigator->setController(front);
    navigator->update(0.5f);
    EXPECT_FLOAT_EQ(front->getTransform().getTranslation().z, 2.0f);
    EXPECT_FLOAT_EQ(back->getTransform().getTranslation().z, 1.5f);
    EXPECT_FLOAT_EQ(navigator->getMatrix().getTranslation().z, 3.5f);
}

TEST(NavigatorTest, RefusesChainsThatLeadBackToThemselves) {
    auto a = make<FixedController>(), b = make<FixedController>(), c = make<FixedController>();
    EXPECT_FALSE(a->setParent(a));
    EXPECT_TRUE(a->setParent(b));
    EXPECT_TRUE(b->setParent(c));
    EXPECT_FALSE(c->setParent(a));
    EXPECT_EQ(c->getParent(), nullptr);
    // The chain holds its parents: dropping ours leaves them alive and linked.
    b = nullptr;
    c = nullptr;
    auto navigator = make<Navigator>();
    navigator->setController(a);
    navigator->update(1);
    ASSERT_NE(a->getParent(), nullptr);
    EXPECT_NE(a->getParent()->getParent(), nullptr);
    EXPECT_TRUE(a->setParent(nullptr));
}

TEST(NavigatorTest, MouseInputTurnsAndMovesACameraHeldOutOnTheZAxis) {
    auto navigator = make<Navigator>();
    auto trackball = make<TrackballController>();
    auto dispatcher = make<input::MouseDispatcher>();
    trackball->setParent(fixed(Matrix::translation(0, 0, 400)));
    navigator->setController(trackball);
    dispatcher->addListener(trackball);
    dispatcher->dispatchResize({0, 0, 600, 500});
    navigator->update(1);
    EXPECT_EQ(navigator->getMatrix().getTranslation(), (math::Vector3<float>{0, 0, 400}));

    // A wheel turn towards the user brings the camera closer along -z.
    dispatcher->dispatchMouseWheel(-120);
    navigator->update(1);
    EXPECT_EQ(navigator->getMatrix().getTranslation(), (math::Vector3<float>{0, 0, 280}));

    // A horizontal drag orbits the camera about the origin at the same distance.
    dispatcher->dispatchMouseMove({300, 250}, gui::ButtonLeftUp);
    dispatcher->dispatchMouseMove({400, 250}, gui::ButtonLeftDown);
    navigator->update(1);
    const math::Vector3<float> position = navigator->getMatrix().getTranslation();
    EXPECT_NEAR(math::length(position), 280, 1e-3);
    EXPECT_GT(std::fabs(position.x), 10);
    EXPECT_NEAR(position.y, 0, 1e-3);
}

// A chain far longer than a small stack could unwind with one destructor per link goes away in one piece
// on a thread with such a stack, while a link that is held elsewhere keeps its own parents.
TEST(NavigatorTest, LongChainsOfControllersAreDestroyedWithoutDeepRecursion) {
    constexpr int links = 200000;
    object::Pointer<Controller> kept;
    auto first = object::Pointer<Controller>::adopt(new Controller);
    // Built from the first link up, so that each cycle check finds no parents above the new one.
    Controller* top = first;
    for (int i = 1; i < links; ++i) {
        auto parent = object::Pointer<Controller>::adopt(new Controller);
        ASSERT_TRUE(top->setParent(parent));
        top = parent;
        if (i == links / 2)
            kept = parent;
    }
    const auto release = [](void* chain) -> void* {
        *static_cast<object::Pointer<Controller>*>(chain) = nullptr;
        return nullptr;
    };
#ifndef _WIN32
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, release, &first), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
#else
    // The main thread's stack of 1 MiB.
    release(&first);
#endif
    int above = 0;
    for (Controller* link = kept->getParent(); link; link = link->getParent())
        ++above;
    EXPECT_EQ(above, links - 1 - links / 2);
    release(&kept);
}
