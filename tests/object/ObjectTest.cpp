#include <gtest/gtest.h>

#include "object/Class.h"
#include "object/Noncopyable.h"
#include "object/Object.h"
#include "object/Pointer.h"

using korvane::object::Class;
using korvane::object::Object;
using korvane::object::Pointer;
using korvane::types::String;

namespace {

int destroyed = 0;

class Handler : public Object {
public:
    ~Handler() override { ++destroyed; }
    String getClassPath() const override { return String::concat(Object::getClassPath(), ":Handler"); }
};

class Messenger : public Handler, private korvane::object::Noncopyable {
public:
    String getClassPath() const override { return String::concat(Handler::getClassPath(), ":Messenger"); }
};

} // namespace

TEST(ObjectTest, ReleaseDestroysOnlyTheLastReference) {
    destroyed = 0;
    auto* object = new Handler;
    object->addReference();
    object->addReference();
    EXPECT_EQ(object->getReferenceCount(), 3);
    object->release();
    EXPECT_EQ(object->getReferenceCount(), 2);
    object->release();
    EXPECT_EQ(destroyed, 0);
    object->release();
    EXPECT_EQ(destroyed, 1);
}

TEST(ObjectTest, NameTextAndClassPathFollowThePrimaryChain) {
    Object plain;
    EXPECT_EQ(plain.getName(), "Object");
    EXPECT_EQ(plain.toString(), "Object");
    EXPECT_TRUE(plain.isValid());

    Messenger messenger;
    EXPECT_EQ(messenger.getClassPath(), "Object:Handler:Messenger");
    EXPECT_EQ(messenger.getName(), "Object:Handler:Messenger");
    Class descriptor(messenger);
    EXPECT_EQ(descriptor.getName(), "Object:Handler:Messenger");
    EXPECT_EQ(descriptor.getClassPath(), "Object:Class");
}

TEST(ObjectTest, CopiedObjectsStartWithTheirOwnReference) {
    auto* original = new Object;
    original->addReference();
    Object copy(*original);
    EXPECT_EQ(copy.getReferenceCount(), 1);
    original->release();
    original->release();
}

TEST(PointerTest, AssignmentAddsBeforeReleasing) {
    destroyed = 0;
    auto* object = new Handler;
    {
        Pointer<Handler> pointer(object);
        EXPECT_EQ(object->getReferenceCount(), 2);
        object->release(); // the creator's reference: only the pointer holds it now
        pointer = object;  // self-assignment must not destroy it
        EXPECT_EQ(destroyed, 0);
        EXPECT_EQ(object->getReferenceCount(), 1);

        Pointer<Handler> other = Pointer<Handler>::adopt(new Handler);
        pointer = other;
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(other->getReferenceCount(), 2);
        Pointer<Handler> moved(std::move(other));
        EXPECT_EQ(other.get(), nullptr);
        EXPECT_EQ(moved->getReferenceCount(), 2);
    }
    EXPECT_EQ(destroyed, 2);
}
