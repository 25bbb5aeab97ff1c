#pragma once
// The main loop and the window procedure. Each turn either handles one message
// or, when the queue is empty, advances the camera and draws one frame; never
// both, and never waiting. The loop ends at the quit message; the program's
// entry tears down afterwards.

#include "app/frame_hooks.h"
#include "app/shell_state.h"
#include "app/world.h"
#include "input/message_queue.h"

// The viewer's idle turn (hooks.idleTurn null): one frame with the delta
// measured at the end of the previous turn, drawn with these hooks.
void updateAndRenderFrame(const FrameHooks& hooks, Shell& shell, World& world);

// Returns the quit message's code. The viewer passes no hooks; a tool passes
// its own.
int runMainLoop(Shell& shell, World& world, const FrameHooks& hooks = {});

void windowProcedure(Shell& shell, const Message& message);
