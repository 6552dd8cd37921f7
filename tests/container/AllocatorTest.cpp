#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "container/Allocator.h"

using korvane::container::Allocator;

namespace {

struct Record {
    int64_t words[3];
};

struct alignas(64) Wide {
    char bytes[64];
};

struct Counted {
    static inline int live = 0;
    int value;
    explicit Counted(int value) : value(value) { ++live; }
    ~Counted() { --live; }
};

} // namespace

TEST(AllocatorTest, GrowsByWholeBlocks) {
    Allocator<Record, 64> pool;
    EXPECT_EQ(pool.getTotal(), 0u);
    EXPECT_EQ(pool.getBlockSize(), 64u);

    std::set<Record*> records;
    Record* previous = nullptr;
    for (int i = 0; i < 64; ++i) {
        Record* record = pool.obtain();
        // A new block hands out its records in address order.
        if (previous) {
            EXPECT_EQ(record, previous + 1);
        }
        previous = record;
        records.insert(record);
        record->words[0] = record->words[1] = record->words[2] = i;
    }
    EXPECT_EQ(pool.getTotal(), 64u);
    EXPECT_EQ(pool.getBlockCount(), 1u);

    records.insert(pool.obtain());
    EXPECT_EQ(pool.getTotal(), 128u);
    EXPECT_EQ(pool.getBlockCount(), 2u);
    EXPECT_EQ(records.size(), 65u);
}

TEST(AllocatorTest, ReusesRecordsLastInFirstOut) {
    Allocator<Record, 4> pool;
    Record* a = pool.obtain();
    Record* b = pool.obtain();
    Record* c = pool.obtain();
    pool.giveBack(a);
    pool.giveBack(c);
    pool.giveBack(b);
    EXPECT_EQ(pool.obtain(), b);
    EXPECT_EQ(pool.obtain(), c);
    EXPECT_EQ(pool.obtain(), a);
    EXPECT_EQ(pool.getTotal(), 4u);
}

TEST(AllocatorTest, HonoursSmallAndOveralignedRecords) {
    Allocator<char, 3> bytes;
    std::set<char*> distinct;
    for (int i = 0; i < 10; ++i) {
        char* record = bytes.obtain();
        *record = char(i);
        distinct.insert(record);
    }
    EXPECT_EQ(distinct.size(), 10u);
    EXPECT_EQ(bytes.getBlockCount(), 4u);

    Allocator<Wide, 2> wide;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(reinterpret_cast<uintptr_t>(wide.obtain()) % 64, 0u);
}

TEST(AllocatorTest, CreateAndDestroyRunConstructorsAndDestructors) {
    Counted::live = 0;
    Allocator<Counted, 8> pool;
    Counted* first = pool.create(1);
    Counted* second = pool.create(2);
    EXPECT_EQ(Counted::live, 2);
    EXPECT_EQ(second->value, 2);
    pool.destroy(first);
    EXPECT_EQ(Counted::live, 1);
    EXPECT_EQ(pool.create(3), first);
    pool.destroy(first);
    pool.destroy(second);
    EXPECT_EQ(Counted::live, 0);
    EXPECT_EQ(pool.getClassPath(), "Object:Allocator");
}
