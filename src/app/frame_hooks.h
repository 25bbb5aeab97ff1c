#pragma once
// What a tool may hook into the frame: a probe after each pass (to read the
// finished picture back, or to time the passes). Everything else a tool
// changes in a frame comes through its FrameInput (frame_input.h).

#include <cstdint>

// The passes of one frame in drawing order. Overlay is the last pass: after
// it the picture is finished and can be read back, before it is presented.
enum class FramePass : uint8_t { View, Terrain, SkyBox, OriginPalm, Palms, Grass, Flyers, Overlay, Swap };

// Called after each pass.
using FramePassProbe = void (*)(void* context, FramePass finished);

struct FrameHooks {
    void* context = nullptr;           // the tool's own record, handed to the probe
    FramePassProbe passDone = nullptr; // null: nothing between the passes
};
