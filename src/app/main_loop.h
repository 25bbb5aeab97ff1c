#pragma once
// The main loop and the window procedure. Each turn either handles one message
// or, when the queue is empty, advances the camera and draws one frame; never
// both, and never waiting. The loop ends at the quit message.
//
// Projection: vertical field of view in degrees (80, or 10 zoomed), near plane
// 0.1, far plane 10000, aspect ratio of the client area.

#include "app/shell.h"
#include "app/world.h"

constexpr float kFieldOfViewDegrees = 80;
constexpr float kZoomReductionDegrees = 70;
constexpr double kNearPlane = static_cast<double>(0.1f); // the float 0.1, widened
constexpr double kFarPlane = 10000;

// One idle turn: the default updates the camera, ticks the clock, draws a frame.
using IdleTurn = void (*)(Shell& shell, World& world);
void updateAndRenderFrame(Shell& shell, World& world);

// Returns the quit message's code. Deletes the terrain list and shuts down first.
int runMainLoop(Shell& shell, World& world, IdleTurn idleTurn = updateAndRenderFrame);

void windowProcedure(Shell& shell, const Message& message);
void setUpViewport(Shell& shell, int width, int height);
void toggleZoom(Shell& shell);
