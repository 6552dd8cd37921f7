#include <gtest/gtest.h>

#include <vector>

#include "container/Queue.h"

using korvane::container::Queue;

namespace {

struct Message {
    Queue<Message>* queue = nullptr;
    Message* next = nullptr;
    Message* previous = nullptr;
    int what = 0;
    int references = 1;
    int releases = 0;
    void release() { ++releases; }
};

std::vector<int> drain(Queue<Message>& queue) {
    std::vector<int> order;
    while (Message* message = queue.popFront())
        order.push_back(message->what);
    return order;
}

} // namespace

TEST(QueueTest, PushesAtBothEndsAndPopsFromTheFront) {
    Message a{.what = 1}, b{.what = 2}, c{.what = 3}, d{.what = 4};
    Queue<Message> queue;
    EXPECT_TRUE(queue.pushBack(&a));
    EXPECT_TRUE(queue.pushBack(&b));
    EXPECT_TRUE(queue.pushFront(&c));
    EXPECT_TRUE(queue.pushFront(&d));
    EXPECT_EQ(queue.getCount(), 4u);
    EXPECT_EQ(queue.getFront(), &d);
    EXPECT_EQ(queue.getBack(), &b);
    EXPECT_EQ(a.queue, &queue);
    EXPECT_EQ(a.references, 2);

    EXPECT_EQ(drain(queue), (std::vector<int>{4, 3, 1, 2}));
    EXPECT_EQ(queue.getFront(), nullptr);
    EXPECT_EQ(queue.getBack(), nullptr);
    EXPECT_TRUE(queue.isEmpty());
    // Popping hands the queue's reference to the caller.
    EXPECT_EQ(a.references, 2);
    EXPECT_EQ(a.queue, nullptr);
    EXPECT_EQ(a.next, nullptr);
    EXPECT_EQ(a.releases, 0);

    // A popped message can be queued again, and into an emptied queue from either end.
    EXPECT_TRUE(queue.pushFront(&a));
    EXPECT_EQ(queue.getBack(), &a);
    EXPECT_EQ(queue.popFront(), &a);
}

TEST(QueueTest, RemovesFromAnywhereAndRefusesForeignOrLinkedMessages) {
    Message a{.what = 1}, b{.what = 2}, c{.what = 3};
    Queue<Message> queue;
    Queue<Message> other;
    queue.pushBack(&a);
    queue.pushBack(&b);
    queue.pushBack(&c);

    EXPECT_FALSE(queue.pushBack(&b));
    EXPECT_FALSE(other.pushFront(&b));
    EXPECT_FALSE(other.remove(&b));
    EXPECT_EQ(queue.getCount(), 3u);
    EXPECT_EQ(b.references, 2);

    EXPECT_TRUE(queue.remove(&b));
    EXPECT_EQ(b.queue, nullptr);
    EXPECT_TRUE(queue.remove(&c));
    EXPECT_EQ(queue.getBack(), &a);
    EXPECT_EQ(drain(queue), (std::vector<int>{1}));
}

TEST(QueueTest, DestructionReleasesEveryQueuedMessage) {
    Message a, b, popped;
    {
        Queue<Message> queue;
        queue.pushBack(&a);
        queue.pushBack(&popped);
        queue.pushFront(&b);
        EXPECT_EQ(queue.getClassPath(), "Object:Queue");
        EXPECT_EQ(queue.remove(&popped), true);
    }
    EXPECT_EQ(a.releases, 1);
    EXPECT_EQ(b.releases, 1);
    EXPECT_EQ(popped.releases, 0);
    EXPECT_EQ(a.queue, nullptr);
}
