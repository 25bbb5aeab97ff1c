#pragma once
// A walk: the viewer's pose as drawn in each frame (the eye after ground
// following and the point it looks at, world units, y up), the drawing states
// of that frame, and the time it was drawn (seconds from the walk's first
// frame). F9 records one; lumora-render draws it again.
//
// The recording's buffer is taken once, when recording starts, for an hour at
// 60 frames a second, and never grows: recording a frame allocates nothing.
// A full buffer takes no more frames and says so.

#include "view/camera.h"

#include <memory>

struct WalkFrame {
    float time; // seconds since the walk's first frame
    Vector3 eye;
    Vector3 lookAt;
    bool crouching;
    bool zoomed;
    bool wireframe; // Space's outline drawing
};

constexpr int kWalkFrameCapacity = 60 * 60 * 60; // an hour at 60 frames a second

struct WalkRecording {
    std::unique_ptr<WalkFrame[]> frames; // null while not recording
    int count = 0;
    int capacity = 0;
    double seconds = 0; // since the first frame, summed in double so an hour keeps its resolution

    bool active() const { return frames != nullptr; }
    // Takes the buffer and forgets any earlier frames.
    void start(int frameCapacity = kWalkFrameCapacity);
    // Adds the frame drawn frameDelta seconds after the previous one (the
    // first frame is at 0), which sets its time. Returns false, adding
    // nothing, when the buffer is full.
    bool record(WalkFrame frame, float frameDelta);
    // Gives the buffer back.
    void stop();
};
