#pragma once
// The application shell's own state: the run mode, the window's client area,
// the projection, the drawing mode, the frame clock, the message queue, the
// key-state table and the walk being recorded. One instance lives for the
// whole run (see instances.h).
//
// The window procedure never touches the graphics state: it records what a
// message asks for, and the main loop makes the message's graphics calls right
// after it, so each message's calls come in the order the messages arrived.
// A tool that draws without the loop has its next frame apply them before it
// clears; where several wait there, the last of each kind counts, and a resize
// goes before a zoom: the resize resets the projection that a zoom asked
// before it had set.

#include "app/frame_clock.h"
#include "input/key_state.h"
#include "input/message_queue.h"
#include "surface/frame_surface.h"
#include "surface/render_scale.h"
#include "view/walk.h"

#include <cstdint>
#include <string>

struct ClientRect {
    int32_t left, top, right, bottom; // pixels; right and bottom are the size
};

// Asked for since the last frame.
struct DisplayRequests {
    bool viewport = false; // a windowed resize, to viewportWidth x viewportHeight
    int viewportWidth = 0;
    int viewportHeight = 0;
    bool zoom = false;        // the right button, after any resize: apply `zoom`
    bool polygonMode = false; // Space or Enter: apply `wireframe`
    bool screenshot = false;  // F12: save this frame once drawn, at the client size of the press
    int screenshotWidth = 0;
    int screenshotHeight = 0;
};

// The right button's zoom to fieldOfView - 70. A windowed resize sets the
// normal projection back but leaves the button's toggle on, so the next
// click turns it off and the view stays normal.
enum class Zoom : uint8_t {
    Off,
    On,            // drawn zoomed
    OnDrawnNormal, // toggled on, but a resize has set the normal projection since
};

// The line of where you stand (F3).
enum class PlaceReadout : uint8_t { Hidden, Shown };

struct Shell {
    bool fullScreen = true;          // decided once, before the window exists
    bool fullScreenDesktop = false;  // borderless over the desktop at its own resolution, no mode switch
    bool displayModeRefused = false; // the switch to full screen was refused; its quit is posted
    ClientRect clientRect = {};      // read at start-up, refreshed on windowed resizes
    float fieldOfView = 0;           // degrees; 80 from the first viewport set-up on
    Zoom zoom = Zoom::Off;           // the right button's toggle and the projection drawn
    bool wireframe = false;          // Space outlines both faces of every polygon, Enter fills them
    PlaceReadout placeReadout = PlaceReadout::Hidden; // F3 shows and hides it
    DisplayRequests requests;
    FrameClock frameClock;
    MessageQueue queue;
    KeyStateTable keys;
    std::string startFolder;   // where the user started the viewer (F12 saves there); the data folder may differ
    FrameSurface surface;      // where the frame is drawn (surface/frame_surface.h)
    AutoRenderScale autoScale; // on with --render-scale auto
    WalkRecording walk;        // F9: the frames drawn since it was pressed
};
