#pragma once
// The application shell's own state: what belongs to the window, its input
// and the run. The run mode and the window's client area, the message queue
// and the key-state table its messages fill, the frame clock that times the
// run and titles the window, and the folder the user started in. The client
// area is the size the frame is drawn at: the window's, or an offscreen
// frame's own, which then stands in for it. What the frame draws with is the
// Drawing's (drawing.h). One instance lives for the whole run (see
// instances.h).

#include "app/frame_clock.h"
#include "input/key_state.h"
#include "input/message_queue.h"

#include <cstdint>
#include <string>

struct ClientRect {
    int32_t left, top, right, bottom; // pixels; right and bottom are the size
};

struct Shell {
    bool fullScreen = true;          // decided once, before the window exists
    bool fullScreenDesktop = false;  // borderless over the desktop at its own resolution, no mode switch
    bool displayModeRefused = false; // the switch to full screen was refused; its quit is posted
    ClientRect clientRect = {};      // read at start-up, refreshed on windowed resizes; an offscreen frame's size
    FrameClock frameClock;
    MessageQueue queue;
    KeyStateTable keys;
    std::string startFolder; // where the user started the viewer (F12 and F9 save there); the data folder may differ
};
