#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "application/Message.h"
#include "application/MessageQueue.h"

using korvane::application::Message;
using korvane::application::MessageQueue;

TEST(MessageTest, ParametersMatchOverAtMost48Characters) {
    const Message::PoolStatistics before = Message::getPoolStatistics();
    Message* message = Message::create(7, nullptr);
    const std::string shared(48, 'v');
    int first = 1;
    int second = 2;
    message->addParameter("view", &first);
    message->addParameter((shared + "-and-more").c_str(), &second);

    ASSERT_NE(message->findParameter("view"), nullptr);
    EXPECT_EQ(message->findParameter("view")->value, &first);
    EXPECT_EQ(message->findParameter("vie"), nullptr);
    EXPECT_EQ(message->findParameter("views"), nullptr);
    // Only the first 48 characters count.
    ASSERT_NE(message->findParameter((shared + "-something-else").c_str()), nullptr);
    EXPECT_EQ(message->findParameter(shared.c_str())->value, &second);
    EXPECT_EQ(message->findParameter((std::string(47, 'v') + "w").c_str()), nullptr);
    EXPECT_EQ(message->findParameter(nullptr), nullptr);

    EXPECT_EQ(Message::getPoolStatistics().parametersInUse, before.parametersInUse + 2);
    message->release();
    const Message::PoolStatistics after = Message::getPoolStatistics();
    EXPECT_EQ(after.messagesInUse, before.messagesInUse);
    EXPECT_EQ(after.parametersInUse, before.parametersInUse);
}

TEST(MessageTest, ThePoolGrowsByBlocksOf64AndReusesRecords) {
    const Message::PoolStatistics before = Message::getPoolStatistics();
    const uint32_t free = before.messages - before.messagesInUse;
    std::vector<Message*> messages;
    for (uint32_t i = 0; i <= free; ++i)
        messages.push_back(Message::create(i, nullptr));
    EXPECT_EQ(Message::getPoolStatistics().messages, before.messages + 64);
    Message* last = messages.back();
    last->release();
    messages.pop_back();
    Message* again = Message::create(1, nullptr);
    EXPECT_EQ(again, last) << "the record given back last is handed out first";
    messages.push_back(again);
    for (Message* message : messages)
        message->release();
    EXPECT_EQ(Message::getPoolStatistics().messagesInUse, before.messagesInUse);
}

TEST(MessageQueueTest, KeepsOrderAndReleasesWhatIsLeft) {
    const uint32_t inUse = Message::getPoolStatistics().messagesInUse;
    {
        MessageQueue queue;
        EXPECT_EQ(queue.getClassPath(), "Object:MessageQueue");
        Message* one = Message::create(1, nullptr);
        Message* two = Message::create(2, nullptr);
        Message* three = Message::create(3, nullptr);
        EXPECT_TRUE(queue.pushBack(one));
        EXPECT_TRUE(queue.pushBack(two));
        EXPECT_TRUE(queue.pushFront(three));
        EXPECT_FALSE(queue.pushBack(one)) << "a message is in one queue at a time";
        EXPECT_EQ(queue.getCount(), 3u);

        Message* front = queue.popFront();
        EXPECT_EQ(front, three);
        EXPECT_EQ(front->queue, nullptr);
        front->release();
        EXPECT_EQ(Message::getPoolStatistics().messagesInUse, inUse + 2);

        // Released while still queued: it leaves the queue.
        two->release();
        EXPECT_EQ(queue.getCount(), 1u);
        EXPECT_EQ(queue.popFront(), one);
        queue.pushBack(one);
        queue.pushBack(Message::create(4, nullptr));
    }
    EXPECT_EQ(Message::getPoolStatistics().messagesInUse, inUse);
}
