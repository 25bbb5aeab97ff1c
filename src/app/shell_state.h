#pragma once
// The application shell's own state: the run mode, the window's client area,
// the projection, the frame clock, the message queue and the key-state table.
// One instance lives for the whole run (see instances.h).

#include "app/frame_clock.h"
#include "input/key_state.h"
#include "input/message_queue.h"

#include <cstdint>

struct ClientRect {
    int32_t left, top, right, bottom; // pixels; right and bottom are the size
};

struct Shell {
    bool fullScreen = true;     // decided once, before the window exists
    ClientRect clientRect = {}; // read at start-up, refreshed on windowed resizes
    float fieldOfView = 0;      // degrees; 80 from the first viewport set-up on
    bool zoomed = false;        // right-button zoom to fieldOfView - 70
    FrameClock frameClock;
    MessageQueue queue;
    KeyStateTable keys;
};
