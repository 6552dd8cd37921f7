#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "container/Allocator.h"
#include "object/Noncopyable.h"
#include "object/Object.h"

namespace korvane::container {

/// A node of a Map: a search-tree node by key and a max-heap node by priority.
template <typename K, typename V> struct MapNode {
    K key;
    uint32_t priority;
    MapNode* left;
    MapNode* right;
    MapNode* parent;
    V value;
};

/// An ordered map kept as a treap: a binary search tree by key whose nodes also form a max-heap by random
/// priorities, drawn from a linear congruential generator inside the map. Nodes come from a block pool.
/// Keys are compared with < (std::less, so pointer keys are totally ordered) and ==.
/// Not locked: a map is used by one thread at a time.
template <typename K, typename V> class Map : public object::Object, private object::Noncopyable {
public:
    using Node = MapNode<K, V>;

    template <typename N> class BasicIterator {
    public:
        explicit BasicIterator(Node* node) : node(node) {}
        N& operator*() const { return *node; }
        N* operator->() const { return node; }
        BasicIterator& operator++() {
            node = Map::getNext(node);
            return *this;
        }
        bool operator==(const BasicIterator&) const = default;

    private:
        Node* node;
    };
    using Iterator = BasicIterator<Node>;
    using ConstIterator = BasicIterator<const Node>;

    Map() = default;
    ~Map() override { clear(); }

    /// Stores the value under the key and returns its node. An existing key keeps its node and gets the
    /// new value; the tree and the count stay as they are.
    template <typename Value> Node* insert(const K& key, Value&& value) {
        Node* parent = nullptr;
        Node** slot = &root;
        while (Node* node = *slot) {
            if (key == node->key) {
                node->value = std::forward<Value>(value);
                return node;
            }
            parent = node;
            slot = less(key, node->key) ? &node->left : &node->right;
        }
        Node* node = nodes.create(Node{key, 0, nullptr, nullptr, parent, V(std::forward<Value>(value))});
        *slot = node;
        node->priority = nextPriority();
        while (node->parent && node->parent->priority < node->priority)
            rotateUp(node);
        ++count;
        return node;
    }

    Node* find(const K& key) const {
        Node* node = root;
        while (node && !(key == node->key))
            node = less(key, node->key) ? node->left : node->right;
        return node;
    }
    bool contains(const K& key) const { return find(key) != nullptr; }

    /// Removes the key; false if the map does not hold it.
    bool remove(const K& key) {
        Node* node = find(key);
        if (!node)
            return false;
        // Rotate the node down below its higher-priority child until it is a leaf, then drop it.
        while (node->left || node->right) {
            Node* child = !node->right || (node->left && node->left->priority > node->right->priority)
                              ? node->left
                              : node->right;
            rotateUp(child);
        }
        detach(node);
        nodes.destroy(node);
        --count;
        return true;
    }

    /// Destroys every node, each after both of its subtrees. Iterative, so a deep tree cannot overflow the
    /// stack.
    void clear() {
        Node* node = root;
        while (node) {
            if (node->left) {
                node = node->left;
            } else if (node->right) {
                node = node->right;
            } else {
                Node* parent = node->parent;
                detach(node);
                nodes.destroy(node);
                node = parent;
            }
        }
        root = nullptr;
        count = 0;
    }

    /// The node with the smallest key, or null.
    Node* getFirst() const { return root ? leftmost(root) : nullptr; }
    /// The node with the next larger key, or null.
    static Node* getNext(const Node* node) {
        if (node->right)
            return leftmost(node->right);
        while (node->parent && node == node->parent->right)
            node = node->parent;
        return node->parent;
    }

    Iterator begin() { return Iterator(getFirst()); }
    Iterator end() { return Iterator(nullptr); }
    ConstIterator begin() const { return ConstIterator(getFirst()); }
    ConstIterator end() const { return ConstIterator(nullptr); }

    Node* getRoot() const { return root; }
    uint32_t getCount() const { return count; }
    bool isEmpty() const { return count == 0; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Map");
    }

private:
    static bool less(const K& a, const K& b) { return std::less<K>()(a, b); }

    static Node* leftmost(Node* node) {
        while (node->left)
            node = node->left;
        return node;
    }

    uint32_t nextPriority() {
        generatorState = generatorState * 214013u + 2531011u;
        return (generatorState >> 16) & 0x7FFF;
    }

    // Moves the node above its parent, handing its inner subtree to the parent.
    void rotateUp(Node* node) {
        Node* parent = node->parent;
        Node* grandparent = parent->parent;
        if (parent->left == node) {
            parent->left = node->right;
            if (node->right)
                node->right->parent = parent;
            node->right = parent;
        } else {
            parent->right = node->left;
            if (node->left)
                node->left->parent = parent;
            node->left = parent;
        }
        parent->parent = node;
        node->parent = grandparent;
        if (!grandparent)
            root = node;
        else if (grandparent->left == parent)
            grandparent->left = node;
        else
            grandparent->right = node;
    }

    // Cuts a leaf from its parent (or empties the tree).
    void detach(Node* leaf) {
        if (!leaf->parent)
            root = nullptr;
        else if (leaf->parent->left == leaf)
            leaf->parent->left = nullptr;
        else
            leaf->parent->right = nullptr;
    }

    Node* root = nullptr;
    uint32_t count = 0;
    uint32_t generatorState = 0;
    Allocator<Node, 64> nodes;
};

} // namespace korvane::container
