#pragma once
// The one way into the viewer's main loop and frame for a tool. The viewer
// itself runs with an empty record; a hook left null does what the viewer
// does. A tool keeps its own state in `context`, which every hook gets, so it
// needs no state of its own outside the record it passes in. The frame delta
// is the idle turn's to choose (renderFrame takes it: a fixed one replays
// alike), and where the frame is drawn is the shell's (frame_surface.h).

#include "app/shell_state.h"
#include "app/world.h"

#include <cstdint>

// The passes of one frame in drawing order. Overlay is the last pass: after
// it the picture is finished and can be read back, before it is presented.
enum class FramePass : uint8_t { View, Terrain, SkyBox, OriginPalm, Palms, Grass, Flyers, Overlay, Swap };

// Who sets the eye's height in a frame: ground following, as when walking, or
// nobody, so the eye stays where the camera move placed it.
enum class EyeHeight : uint8_t { FollowGround, AsPlaced };

// Whether the frame draws the overlay; its clock runs either way.
enum class OverlayShown : uint8_t { Drawn, LeftOut };

struct FrameHooks;
// One turn of the main loop with an empty queue: a tool's frame and its own
// work around it. It gets the whole record, to hand on to renderFrame.
using IdleTurn = void (*)(const FrameHooks& hooks, Shell& shell, World& world);
// How the camera moves at the start of a frame; frameDelta: the seconds to walk with.
using CameraMove = void (*)(void* context, Shell& shell, Camera& camera, float frameDelta);
// Called after each pass.
using FramePassProbe = void (*)(void* context, FramePass finished);

struct FrameHooks {
    void* context = nullptr;         // the tool's own record, handed to every hook
    IdleTurn idleTurn = nullptr;     // null: one frame, the camera moved by input
    CameraMove moveCamera = nullptr; // null: mouse look and the held keys
    EyeHeight eyeHeight = EyeHeight::FollowGround;
    OverlayShown overlay = OverlayShown::Drawn;
    FramePassProbe passDone = nullptr; // null: nothing between the passes
};
