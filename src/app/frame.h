#pragma once
// One complete picture. The order of the passes is fixed: it decides the
// graphics state each pass finds and what each pass hides.
//
// At entry and exit: the model-view matrix is selected; depth testing, 2-D
// texturing and face culling are on.

#include "app/shell.h"
#include "app/world.h"

#include <cstdint>

constexpr float kGrassVisibilityRadius = 10;
constexpr float kFlyerVisibilityRadius = 5;
constexpr float kPalmVisibilityRadius = 29;
constexpr float kPalmCrownHeight = 50; // a palm's second sphere sits this far above its base
constexpr float kSkyBoxOffset = 500;   // centre relative to the eye, in x and in z
constexpr float kSkyBoxSize = 9000;

// The passes of one frame in drawing order, for a probe that times them or
// reads the picture back. Overlay is the last pass before the buffer swap.
enum class FramePass : uint8_t { View, Terrain, SkyBox, OriginPalm, Palms, Grass, Flyers, Overlay, Swap };
// Called after each pass when set; the viewer leaves it null.
using FramePassProbe = void (*)(FramePass finished);
extern FramePassProbe framePassProbe;

void renderFrame(Shell& shell, World& world);
// Marks each tuft, flyer and palm as inside the view volume or not.
void markVisible(World& world);
