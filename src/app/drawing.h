#pragma once
// What the frame draws with and leaves behind: the surface it draws into and
// its render scale, the projection and the zoom, the polygon mode, the line
// of where you stand, the error a fine ground may be drawn with, the changes to them that messages asked for since the
// last frame, and the walk that F9 records of the frames drawn. These are the
// frame's, not the window's: an offscreen frame has every one of them and
// shows them in no window. One instance lives for the whole run (see
// instances.h), beside the Shell that holds the window, input and run states;
// what only draws takes this record, and the size it draws at, not the shell.
//
// The window procedure never touches the graphics state: it records what a
// message asks for here, and the main loop makes the message's graphics calls
// right after it, so each message's calls come in the order the messages
// arrived. A tool that draws without the loop has its next frame apply them
// before it clears; where several wait there, the last of each kind counts,
// and a resize goes before a zoom: the resize resets the projection that a
// zoom asked before it had set.

#include "surface/frame_surface.h"
#include "surface/render_scale.h"
#include "terrain/ground_layout.h"
#include "view/walk.h"

#include <cstdint>

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

struct Drawing {
    FrameSurface surface;                             // where the frame is drawn (surface/frame_surface.h)
    AutoRenderScale autoScale;                        // on with --render-scale auto
    float fieldOfView = 0;                            // degrees; 80 from the first viewport set-up on
    Zoom zoom = Zoom::Off;                            // the right button's toggle and the projection drawn
    bool wireframe = false;                           // Space outlines both faces of every polygon, Enter fills them
    PlaceReadout placeReadout = PlaceReadout::Hidden; // F3 shows and hides it
    DisplayRequests requests;
    WalkRecording walk; // F9: the frames drawn since it was pressed; the overlay marks it
    float terrainErrorPixels = kDefaultTerrainError; // --terrain-error: what a fine ground's level may miss by
};
