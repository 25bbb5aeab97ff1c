#pragma once
// The thread's key-state table, kept in portable code and brought up to date
// as each message is taken from the queue (message_queue.h).

#include "input/message_queue.h"
#include "platform/keys.h"

#include <cstdint>

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
