#include <gtest/gtest.h>

#include "input/KeyboardDispatcher.h"
#include "input/MouseDispatcher.h"
#include "input3d/FixedController.h"
#include "input3d/FlightController.h"
#include "input3d/Navigator.h"
#include "input3d/TrackballController.h"
#include "input3d/TransformConstraint.h"
#include "object/Pointer.h"

using namespace korvane;

TEST(InputClassPathTest, EveryClassNamesItsPath) {
    const struct {
        object::Object* object;
        const char* path;
    } table[] = {
        {new input::MouseDispatcher, "Object:Dispatcher:MouseDispatcher"},
        {new input::KeyboardDispatcher, "Object:Dispatcher:KeyboardDispatcher"},
        {new input3d::Controller, "Object:Controller"},
        {new input3d::FixedController, "Object:Controller:FixedController"},
        {new input3d::TrackballController, "Object:Controller:TrackballController"},
        {new input3d::FlightController, "Object:Controller:FlightController"},
        {new input3d::Navigator, "Object:Navigator"},
        {new input3d::TransformConstraint, "Object:TransformConstraint"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.object->getClassPath(), row.path);
        row.object->release();
    }
}
