#pragma once
// The main loop and the window procedure. Each turn either handles one message
// or, when the queue is empty, advances the camera and draws one frame; never
// both, and never waiting. The loop ends at the quit message; the program's
// entry tears down afterwards.

#include "app/shell_state.h"
#include "app/world.h"
#include "input/message_queue.h"

// One idle turn: the default runs one frame that moves the camera with the
// viewer's keys and mouse.
using IdleTurn = void (*)(Shell& shell, World& world);
void updateAndRenderFrame(Shell& shell, World& world);

// Returns the quit message's code.
int runMainLoop(Shell& shell, World& world, IdleTurn idleTurn = updateAndRenderFrame);

void windowProcedure(Shell& shell, const Message& message);
