#include <gtest/gtest.h>

#include <vector>

#include "container/List.h"
#include "types/String.h"

using korvane::container::List;
using korvane::container::ListAllocator;
using korvane::types::String;

namespace {

template <typename T, typename A> std::vector<T> values(const List<T, A>& list) {
    std::vector<T> result;
    for (const T& value : list)
        result.push_back(value);
    return result;
}

} // namespace

TEST(ListTest, KeepsInsertionOrderAcrossRemovals) {
    List<int, ListAllocator<int, 4>> list;
    std::vector<List<int, ListAllocator<int, 4>>::Item*> items;
    for (int i = 0; i < 6; ++i)
        items.push_back(list.append(i));
    EXPECT_EQ(values(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(list.getAllocator().getTotal(), 8u);

    list.remove(items[2]);
    list.remove(items[3]);
    EXPECT_EQ(values(list), (std::vector<int>{0, 1, 4, 5}));
    EXPECT_EQ(list.getCount(), 4u);
    EXPECT_EQ(list.getNext(items[1]), items[4]);
    EXPECT_EQ(list.getPrevious(items[4]), items[1]);

    list.remove(list.getFirst());
    list.remove(list.getLast());
    EXPECT_EQ(values(list), (std::vector<int>{1, 4}));

    // Freed items are reused, most recently freed first, without growing the pool.
    auto* reused = list.append(9);
    EXPECT_EQ(reused, items[5]);
    EXPECT_EQ(values(list), (std::vector<int>{1, 4, 9}));
    EXPECT_EQ(list.getAllocator().getTotal(), 8u);
}

TEST(ListTest, FindsRemovesAndClearsByValue) {
    List<String> list;
    list.append("alpha");
    list.append("beta");
    list.append("gamma");
    EXPECT_EQ(list.find("beta")->value, "beta");
    EXPECT_TRUE(list.removeValue("alpha"));
    EXPECT_FALSE(list.removeValue("alpha"));
    EXPECT_EQ(values(list), (std::vector<String>{"beta", "gamma"}));

    list.clear();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.getFirst(), nullptr);
    EXPECT_EQ(list.begin(), list.end());

    list.append("again");
    EXPECT_EQ(values(list), (std::vector<String>{"again"}));
    EXPECT_EQ(list.getClassPath(), "Object:List");
    EXPECT_EQ(list.getAllocator().getClassPath(), "Object:Allocator:ListAllocator");
}
