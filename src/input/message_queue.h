#pragma once
// The window's message queue, kept in portable code: the platform reports
// events, and this is where they become messages in arrival order, with the
// key-state table (key_state.h) updated as each message is taken.
//
// The queue holds kMessageQueueCapacity messages; an event that does not fit is
// dropped (the oldest stay). A quit request is a flag, not a queued message: it
// is delivered once every queued message has been taken, as the quit message.

#include "platform/keys.h"

#include <cstdint>

enum class MessageKind : uint8_t {
    Size, // width, height: the new client size
    Paint,
    Close,
    KeyDown, // key, repeat
    KeyUp,   // key
    LeftButtonDown,
    RightButtonDown,
    Quit, // quitCode
};

struct Message {
    MessageKind kind;
    int key;     // virtual key code (platform/keys.h)
    bool repeat; // key-down caused by auto-repeat
    int width;
    int height;
    int quitCode;
};

struct KeyStateTable;

constexpr int kMessageQueueCapacity = 256;

struct MessageQueue {
    Message ring[kMessageQueueCapacity] = {};
    int head = 0;
    int count = 0;
    bool quitPosted = false;
    int quitCode = 0;
    bool pumpsPlatform = true; // false in tests that script every message

    bool post(const Message& message); // false when full: the message is dropped
    void postQuit(int code);
    // Takes the next message without waiting: queued messages first, fetching
    // the platform's pending events when the queue is empty, then the quit
    // message. Updates the key table as a message is taken.
    bool take(Message& out, KeyStateTable& keys);
};
