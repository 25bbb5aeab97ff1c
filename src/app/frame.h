#pragma once
// One complete picture. The order of the passes is fixed: it decides the
// graphics state each pass finds and what each pass hides.
//
// At entry and exit: the model-view matrix is selected; depth testing, 2-D
// texturing and face culling are on.

#include "app/shell_state.h"
#include "app/world.h"

#include <cstdint>

constexpr float kSkyBoxOffset = 500; // centre relative to the eye, in x and in z
constexpr float kSkyBoxSize = 9000;

// The passes of one frame in drawing order, for a probe that times them or
// reads the picture back. Overlay is the last pass before the buffer swap.
enum class FramePass : uint8_t { View, Terrain, SkyBox, OriginPalm, Palms, Grass, Flyers, Overlay, Swap };
// Called after each pass when set; the viewer leaves it null.
using FramePassProbe = void (*)(FramePass finished);
extern FramePassProbe framePassProbe;

// frameDelta: the seconds that the camera walked with in this turn; the clock
// advances by it, and the flyers move by it in the next frame.
void renderFrame(Shell& shell, World& world, float frameDelta);
// Each subsystem marks its tufts, flyers or palms as inside the view volume or not.
void markVisible(World& world);
