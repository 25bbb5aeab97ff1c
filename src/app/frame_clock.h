#pragma once
// The frame clock: the frame delta that every time-dependent pass uses, and the
// frames-per-second figure in the window title. Times are seconds.
//
// The first tick yields a delta of 0 and writes the title at once with the
// figure 1; later ticks yield the seconds since the previous tick, read from a
// monotonic clock in double precision and stored as a float, so the delta keeps
// its resolution however long the machine has been up.

constexpr double kTitleInterval = 1.0; // seconds; the title changes at most this often

struct FrameClock {
    float delta = 0;         // seconds between the two most recent ticks
    double previousTime = 0; // clock reading of the most recent tick
    float frameCount = 0;    // ticks since the title was last written
    double titleTime = 0;    // clock reading when the title was last written
    bool started = false;

    // One tick at clock reading now. Returns true when the title is due, with
    // the ticks counted since the previous title (this one included).
    bool tick(double now, int& titleFigure);
};

// Ticks with the platform's clock and writes "Current Frames Per Second: %d"
// into the window title when it is due.
void tickFrameClock(FrameClock& clock);
