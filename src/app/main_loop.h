#pragma once
// The main loop and the window procedure. Each turn either handles one message
// or, when the queue is empty, advances the camera and draws one frame; never
// both, and never waiting. The loop ends at the quit message; the program's
// entry tears down afterwards.

#include "app/drawing.h"
#include "app/shell_state.h"
#include "app/world.h"
#include "input/message_queue.h"

// One turn of the main loop with an empty queue: one frame, drawn through
// renderFrame with the turn's own FrameInput. False ends the loop, as a
// tool's last frame does; context: the tool's own record.
using IdleTurn = bool (*)(void* context, Shell& shell, Drawing& drawing, World& world);

// The viewer's idle turn: one frame with the viewer's input, whose delta was
// measured at the end of the previous turn.
bool updateAndRenderFrame(void* context, Shell& shell, Drawing& drawing, World& world);

// Returns the quit message's code, or 0 when the idle turn ended the loop.
// The viewer passes no turn; a tool passes its own.
int runMainLoop(Shell& shell, Drawing& drawing, World& world, IdleTurn idleTurn = updateAndRenderFrame,
                void* context = nullptr);

// Takes the window's own messages into the shell and records in the drawing
// what they ask of the frame.
void windowProcedure(Shell& shell, Drawing& drawing, const Message& message);
