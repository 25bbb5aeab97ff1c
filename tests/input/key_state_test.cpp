#include "input/message_queue.h"

#include "support/key_messages.h"

#include <gtest/gtest.h>

namespace {

Message paint()
{
    Message m{};
    m.kind = MessageKind::Paint;
    return m;
}

} // namespace

TEST(KeyStateTable, PressRepeatReleaseSequences)
{
    struct Step {
        MessageKind kind;
        bool repeat;
        uint8_t expected;
    };
    // Held bit 0x80 follows the key; toggle bit 0x01 flips on real presses only.
    const Step steps[] = {
        {MessageKind::KeyDown, false, 0x81}, {MessageKind::KeyDown, true, 0x81},  {MessageKind::KeyDown, true, 0x81},
        {MessageKind::KeyUp, false, 0x01},   {MessageKind::KeyDown, false, 0x80}, {MessageKind::KeyUp, false, 0x00},
        {MessageKind::KeyUp, false, 0x00},   {MessageKind::KeyDown, true, 0x80},
    };
    KeyStateTable keys;
    EXPECT_EQ(keys.get('C'), 0);
    int index = 0;
    for (const Step& step : steps) {
        keys.apply(keyMessage(step.kind, 'C', step.repeat));
        EXPECT_EQ(keys.get('C'), step.expected) << "step " << index;
        ++index;
    }
}

TEST(KeyStateTable, KeysAreIndependentAndOutOfRangeCodesAreIgnored)
{
    KeyStateTable keys;
    keys.apply(keyMessage(MessageKind::KeyDown, 'W'));
    keys.apply(keyMessage(MessageKind::KeyDown, platform::kKeyUp));
    keys.apply(keyMessage(MessageKind::KeyUp, 'W'));
    EXPECT_FALSE(keys.isHeld('W'));
    EXPECT_TRUE(keys.isHeld(platform::kKeyUp));
    EXPECT_EQ(keys.get('A'), 0);

    keys.apply(keyMessage(MessageKind::KeyDown, -1));
    keys.apply(keyMessage(MessageKind::KeyDown, platform::kKeyCount));
    EXPECT_EQ(keys.get(-1), 0);
    EXPECT_EQ(keys.get(platform::kKeyCount), 0);
}

TEST(MessageQueue, KeyStateChangesWhenTheMessageIsTakenNotWhenPosted)
{
    MessageQueue queue;
    queue.pumpsPlatform = false;
    KeyStateTable keys;
    queue.post(paint());
    queue.post(keyMessage(MessageKind::KeyDown, 'C'));
    EXPECT_EQ(keys.get('C'), 0);

    Message m{};
    ASSERT_TRUE(queue.take(m, keys));
    EXPECT_EQ(m.kind, MessageKind::Paint);
    EXPECT_EQ(keys.get('C'), 0);
    ASSERT_TRUE(queue.take(m, keys));
    EXPECT_EQ(m.kind, MessageKind::KeyDown);
    EXPECT_EQ(keys.get('C'), 0x81);
    EXPECT_FALSE(queue.take(m, keys));
}

TEST(MessageQueue, QuitComesOnceAfterEveryQueuedMessage)
{
    MessageQueue queue;
    queue.pumpsPlatform = false;
    KeyStateTable keys;
    queue.post(paint());
    queue.postQuit(7);
    queue.post(keyMessage(MessageKind::KeyDown, 'A'));

    Message m{};
    ASSERT_TRUE(queue.take(m, keys));
    EXPECT_EQ(m.kind, MessageKind::Paint);
    ASSERT_TRUE(queue.take(m, keys));
    EXPECT_EQ(m.kind, MessageKind::KeyDown);
    ASSERT_TRUE(queue.take(m, keys));
    EXPECT_EQ(m.kind, MessageKind::Quit);
    EXPECT_EQ(m.quitCode, 7);
    EXPECT_FALSE(queue.take(m, keys));
}

TEST(MessageQueue, OneMoreThanFitsIsDroppedAndOrderIsKept)
{
    MessageQueue queue;
    queue.pumpsPlatform = false;
    KeyStateTable keys;
    for (int i = 0; i < kMessageQueueCapacity; ++i) {
        Message m{};
        m.kind = MessageKind::Size;
        m.width = i;
        ASSERT_TRUE(queue.post(m));
    }
    Message extra{};
    extra.kind = MessageKind::Size;
    extra.width = -1;
    EXPECT_FALSE(queue.post(extra));

    Message m{};
    for (int i = 0; i < kMessageQueueCapacity; ++i) {
        ASSERT_TRUE(queue.take(m, keys));
        EXPECT_EQ(m.width, i);
    }
    EXPECT_FALSE(queue.take(m, keys));
}
