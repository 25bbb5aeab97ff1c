#pragma once
// The window's message queue and the thread's key-state table, kept in portable
// code: the platform reports events, and this is where they become messages in
// arrival order, with the key state updated as each message is taken.
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

// Per key: bit 0x80 while held; bit 0x01 flipped on every real press (never on
// auto-repeat), so two presses bring it back. Every key starts clear.
struct KeyStateTable {
    static constexpr uint8_t kHeld = 0x80;
    static constexpr uint8_t kToggled = 0x01;

    uint8_t state[platform::kKeyCount] = {};

    uint8_t get(int key) const;
    bool isHeld(int key) const { return (get(key) & kHeld) != 0; }
    // Brings the table up to date with a message being taken from the queue.
    void apply(const Message& message);
};

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
