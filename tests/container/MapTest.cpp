#include <gtest/gtest.h>

#include <map>
#include <random>

#include "container/Map.h"
#include "object/PropertyList.h"
#include "types/String.h"

using korvane::container::Map;
using korvane::container::MapNode;
using korvane::types::String;

namespace {

// Checks the search order and the heap order of every node and the parent links; returns the node count.
template <typename K, typename V> size_t checkTreap(const MapNode<K, V>* node, const MapNode<K, V>* parent) {
    if (!node)
        return 0;
    EXPECT_EQ(node->parent, parent);
    EXPECT_LE(node->priority, 0x7FFFu);
    if (parent) {
        EXPECT_LE(node->priority, parent->priority);
    }
    if (node->left) {
        EXPECT_LT(node->left->key, node->key);
    }
    if (node->right) {
        EXPECT_LT(node->key, node->right->key);
    }
    return 1 + checkTreap(node->left, node) + checkTreap(node->right, node);
}

template <typename K, typename V>
void expectSameContents(const Map<K, V>& map, const std::map<K, V>& expected) {
    ASSERT_EQ(map.getCount(), expected.size());
    auto wanted = expected.begin();
    for (const MapNode<K, V>& node : map) {
        ASSERT_NE(wanted, expected.end());
        EXPECT_EQ(node.key, wanted->first);
        EXPECT_EQ(node.value, wanted->second);
        ++wanted;
    }
    EXPECT_EQ(wanted, expected.end());
    const size_t reachable = checkTreap<K, V>(map.getRoot(), nullptr);
    EXPECT_EQ(reachable, expected.size());
}

} // namespace

TEST(MapTest, StaysOrderedAndHeapOrderedUnderRandomInserts) {
    Map<int, int> map;
    std::map<int, int> expected;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> keys(-2000, 2000);
    for (int i = 0; i < 5000; ++i) {
        const int key = keys(random);
        const size_t before = map.getCount();
        const bool known = expected.count(key) != 0;
        auto* node = map.insert(key, i);
        EXPECT_EQ(node->key, key);
        EXPECT_EQ(node->value, i);
        // An existing key keeps its node and the count; only the value changes.
        EXPECT_EQ(map.getCount(), before + (known ? 0 : 1));
        expected[key] = i;
    }
    expectSameContents(map, expected);
    for (auto [key, value] : expected)
        ASSERT_EQ(map.find(key)->value, value);
    EXPECT_EQ(map.find(2001), nullptr);
    EXPECT_EQ(map.find(-2001), nullptr);
}

TEST(MapTest, PrioritiesComeFromTheMapsOwnGenerator) {
    Map<int, int> map;
    const uint32_t priorities[] = {38, 7719, 21238, 2437};
    for (int key = 1; key <= 4; ++key)
        EXPECT_EQ(map.insert(key, 0)->priority, priorities[key - 1]);
    // Each higher-priority node was rotated above its predecessor; the last one stays a leaf.
    const auto* root = map.getRoot();
    EXPECT_EQ(root->key, 3);
    EXPECT_EQ(root->left->key, 2);
    EXPECT_EQ(root->left->left->key, 1);
    EXPECT_EQ(root->right->key, 4);
    // Overwriting draws no priority: the next new key gets the fifth value.
    map.insert(2, 9);
    EXPECT_EQ(map.insert(5, 0)->priority, 0x2297u);
}

TEST(MapTest, SortedInsertionStillGivesAShallowTree) {
    Map<unsigned int, unsigned int> map;
    for (unsigned int key = 0; key < 4096; ++key)
        map.insert(key, key * 2);
    size_t deepest = 0;
    for (const auto& node : map) {
        size_t depth = 0;
        for (auto* up = node.parent; up; up = up->parent)
            ++depth;
        deepest = std::max(deepest, depth);
    }
    EXPECT_LT(deepest, 60u);
    EXPECT_EQ(map.getFirst()->key, 0u);
    EXPECT_EQ(map.getCount(), 4096u);

    map.clear();
    EXPECT_EQ(map.getRoot(), nullptr);
    EXPECT_TRUE(map.isEmpty());
    EXPECT_EQ(map.begin(), map.end());
    // Cleared nodes are reused.
    map.insert(5u, 6u);
    EXPECT_EQ(map.find(5u)->value, 6u);
}

TEST(MapTest, RemovesKeysKeepingTheTreapValid) {
    Map<int, String> map;
    std::map<int, String> expected;
    for (int key = 0; key < 300; ++key) {
        const int scrambled = (key * 7919) % 300;
        map.insert(scrambled, String("value"));
        expected[scrambled] = "value";
    }
    for (int key = 0; key < 300; key += 3) {
        EXPECT_TRUE(map.remove(key));
        expected.erase(key);
    }
    EXPECT_FALSE(map.remove(0));
    map.insert(1, "changed");
    expected[1] = "changed";
    expectSameContents(map, expected);
}

TEST(MapTest, OrdersPointerKeysByAddress) {
    int cells[8];
    Map<const int*, int> map;
    for (int i : {5, 2, 7, 0, 3, 6, 1, 4})
        map.insert(&cells[i], i);
    int expected = 0;
    for (const auto& node : map) {
        EXPECT_EQ(node.key, &cells[expected]);
        EXPECT_EQ(node.value, expected);
        ++expected;
    }
    EXPECT_EQ(expected, 8);
}

TEST(MapTest, ClassPaths) {
    EXPECT_EQ((Map<int, int>().getClassPath()), "Object:Map");
    korvane::object::PropertyList properties;
    EXPECT_EQ(properties.getClassPath(), "Object:PropertyList");
    EXPECT_TRUE(properties.getProperties().isEmpty());
}
