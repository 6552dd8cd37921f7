#include <gtest/gtest.h>

#include <stdexcept>

#include "container/Array.h"
#include "container/Pair.h"
#include "object/Pointer.h"

using korvane::container::Array;
using korvane::container::Pair;
using korvane::object::Object;
using korvane::object::Pointer;
using korvane::types::String;

namespace {

int liveObjects = 0;

class Tracked : public Object {
public:
    Tracked() { ++liveObjects; }
    ~Tracked() override { --liveObjects; }
};

// Fails on a chosen construction, to check that a failed setSize leaves the array as it was.
struct Fragile {
    static inline int constructionsLeft = 1000;
    static inline int live = 0;
    int value = 42;
    Fragile() {
        if (constructionsLeft-- <= 0)
            throw std::runtime_error("construction failed");
        ++live;
    }
    Fragile(const Fragile& other) : value(other.value) { ++live; }
    ~Fragile() { --live; }
};

} // namespace

TEST(ArrayTest, GrowthFollowsTheStepRule) {
    Array<int> array;
    EXPECT_EQ(array.getElements(), nullptr);
    array.setSize(1);
    EXPECT_EQ(array.getCapacity(), 1u);

    Array<int> small;
    small.setSize(3);
    small.setSize(5);
    EXPECT_EQ(small.getCapacity(), 7u);

    Array<int> doubling;
    doubling.setSize(10);
    EXPECT_EQ(doubling.getCapacity(), 10u);
    doubling.setSize(11);
    EXPECT_EQ(doubling.getCapacity(), 20u);

    Array<int> limited;
    EXPECT_EQ(limited.getMaximumStep(), 0x7FFFFFFFu);
    limited.setMaximumStep(8);
    limited.setSize(10);
    limited.setSize(11);
    EXPECT_EQ(limited.getCapacity(), 18u);

    Array<int> jump;
    jump.setSize(10);
    jump.setSize(100);
    EXPECT_EQ(jump.getCapacity(), 100u);
    EXPECT_EQ(jump.getCount(), 100u);
}

TEST(ArrayTest, ShrinkingKeepsTheBufferAndRegrowingZeroesNewElements) {
    Array<unsigned int> array;
    array.setSize(8);
    for (unsigned int i = 0; i < 8; ++i)
        array[i] = 7 + i;
    const unsigned int* buffer = array.getElements();

    array.setSize(0);
    EXPECT_EQ(array.getCount(), 0u);
    EXPECT_EQ(array.getCapacity(), 8u);
    EXPECT_EQ(array.getElements(), buffer);

    array.setSize(5);
    EXPECT_EQ(array.getElements(), buffer);
    for (unsigned int value : array)
        EXPECT_EQ(value, 0u);
}

TEST(ArrayTest, GrowthKeepsValuesAndAppendAcceptsItsOwnElements) {
    Array<Pair<int, float>> pairs;
    for (int i = 0; i < 37; ++i)
        pairs.append({i, i * 0.5f});
    ASSERT_EQ(pairs.getCount(), 37u);
    for (int i = 0; i < 37; ++i)
        EXPECT_EQ(pairs[i], (Pair<int, float>{i, i * 0.5f}));

    Array<String> names{"alpha", "beta", "gamma", "delta"};
    ASSERT_EQ(names.getCount(), names.getCapacity());
    // Appending an element of the array itself while the buffer must grow.
    names.append(names[0]);
    names.append(names.getLast());
    EXPECT_EQ(names[4], "alpha");
    EXPECT_EQ(names[5], "alpha");
    EXPECT_EQ(names[3], "delta");
}

TEST(ArrayTest, PointerElementsAreReleasedOnShrinkAndDestruction) {
    liveObjects = 0;
    {
        Array<Pointer<Tracked>> array;
        for (int i = 0; i < 10; ++i)
            array.append(Pointer<Tracked>::adopt(new Tracked));
        EXPECT_EQ(liveObjects, 10);
        Pointer<Tracked> kept = array[9];
        EXPECT_EQ(kept->getReferenceCount(), 2);

        array.setSize(4);
        EXPECT_EQ(liveObjects, 5);
        EXPECT_EQ(kept->getReferenceCount(), 1);

        array.setSize(6);
        EXPECT_EQ(array[5].get(), nullptr);

        array.remove(0);
        EXPECT_EQ(array.getCount(), 5u);
        EXPECT_EQ(liveObjects, 4);
    }
    EXPECT_EQ(liveObjects, 0);
}

TEST(ArrayTest, FailedConstructionLeavesTheArrayUnchanged) {
    Fragile::live = 0;
    {
        Array<Fragile> array;
        array.setSize(3);
        const Fragile* buffer = array.getElements();

        Fragile::constructionsLeft = 2;
        EXPECT_THROW(array.setSize(10), std::runtime_error);
        EXPECT_EQ(array.getCount(), 3u);
        EXPECT_EQ(array.getCapacity(), 3u);
        EXPECT_EQ(array.getElements(), buffer);
        EXPECT_EQ(Fragile::live, 3);

        Fragile::constructionsLeft = 1000;
        array.setSize(10);
        EXPECT_EQ(Fragile::live, 10);
    }
    EXPECT_EQ(Fragile::live, 0);
}

TEST(ArrayTest, CopiesAreIndependent) {
    Array<String> original{"one", "two"};
    Array<String> copy(original);
    copy[0] = "changed";
    copy.append("three");
    EXPECT_EQ(original[0], "one");
    EXPECT_EQ(original.getCount(), 2u);
    EXPECT_EQ(copy.getCapacity(), 6u);

    original = copy;
    EXPECT_EQ(original.getCount(), 3u);
    EXPECT_EQ(original[0], "changed");

    Array<String> moved(std::move(copy));
    EXPECT_EQ(moved.getCount(), 3u);
    EXPECT_TRUE(copy.isEmpty());
    EXPECT_EQ(moved.getReferenceCount(), 1);
}

TEST(ArrayTest, ClassPathIgnoresTheElementType) {
    EXPECT_EQ(Array<int>().getClassPath(), "Object:Array");
    EXPECT_EQ(Array<Pointer<Tracked>>().getClassPath(), "Object:Array");
}
