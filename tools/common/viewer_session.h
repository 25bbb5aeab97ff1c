#pragma once
// The viewer's own start-up, run by a tool in an 800 x 600 window on the
// current display, as if the start-up question had been answered No (or, for
// the benchmark, full screen on the desktop). The tool then draws the viewer's
// frames with a FrameInput of its own.
//
// No message box is shown: each one the viewer would show is written to
// standard error and answered OK, so a tool never waits for a click. Where
// the viewer would end the process at once (a picture that a mesh or the
// flyers need), the tool says so and fails.

#include "app/drawing.h"
#include "app/shell_state.h"
#include "app/window.h"
#include "app/world.h"

#include <functional>
#include <time.h>

// Starts the window, runs startUp and reads the place's geographic reference
// as the viewer does before its first frame. Returns false, having said why on
// standard error and shut down again, when there is no display, no window can
// be made, start-up asked to quit, or start-up would end the process (either
// way the viewer would end before its first frame).
// mode: Windowed, or FullScreenDesktop. windowOpen, when given, runs once the
// window and its GL context are up, before any data file is read; false from
// it ends the start-up (it has said why).
bool startViewerWindowed(Shell& shell, Drawing& drawing, World& world, const char* toolName,
                         StartMode mode = StartMode::Windowed, const std::function<bool()>& windowOpen = {});

// When the start-up question would have been answered (monotonicSeconds),
// after the window system has come up.
double questionAnsweredAt();

// After the main loop: the viewer's shutdown, then the window system closed.
void finishViewerSession(const Shell& shell, Drawing& drawing, World& world);

// Seconds since an arbitrary moment, on the clock that every process shares
// (the monotonic clock): a parent and its child can compare readings.
double monotonicSeconds();

// The seconds of any of the system's clocks: the processor time of this
// thread (CLOCK_THREAD_CPUTIME_ID) or of the whole process, for example.
double clockSeconds(clockid_t clock);
