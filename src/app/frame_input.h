#pragma once
// One frame's inputs: how the camera moves (the viewer's keys and mouse, a
// pose, or a tool's move), the frame delta, the drawing states (zoomed,
// wireframe), crouching, whether the overlay is drawn, and whose clock the
// frame runs by. The viewer builds it from its keys, its mouse and the states
// its messages set; a tool supplies its own, and the frame takes the states
// from it as the right button, Space or Enter and C would set them. F9
// records it as drawn, and a replay feeds the recorded one back.

#include "app/drawing.h"
#include "app/frame_clock.h"
#include "app/world.h"
#include "view/walk.h"

#include <cstdint>

enum class CameraControl : uint8_t {
    KeysAndMouse, // the viewer: mouse look with the screen's cursor and walking with the held keys
    Placed,       // the eye at `eye`, looking at `lookAt`
    Moved,        // a tool's own move; none leaves the camera where it is
};

// Who sets the eye's height in a frame: ground following, as when walking, or
// nobody, so the eye stays where the camera control placed it.
enum class EyeHeight : uint8_t { FollowGround, AsPlaced };

// Whether the frame draws the overlay; its clock runs either way.
enum class OverlayShown : uint8_t { Drawn, LeftOut };

// WallClock: the frame clock ticks with the platform's clock and writes the
// frames per second into the window title, as the viewer's frames do.
// Offline: a tool's frame, whose delta is all the time there is.
enum class FrameTime : uint8_t { WallClock, Offline };

// A tool's move of the camera at the start of a frame; frameDelta: the
// seconds to walk with.
using CameraMove = void (*)(void* context, Camera& camera, float frameDelta);

struct FrameInput {
    CameraControl camera = CameraControl::KeysAndMouse;
    Vector3 eye{}; // Placed: world units
    Vector3 lookAt{};
    CameraMove move = nullptr; // Moved, with its own record
    void* moveContext = nullptr;
    EyeHeight eyeHeight = EyeHeight::FollowGround;
    float frameDelta = 0; // seconds the camera walks with; the clock and the flyers go by it
    bool zoomed = false;  // drawn with the zoomed projection
    bool wireframe = false;
    bool crouching = false;
    int walkKeysHeld = 0; // a tool's walk: the bob advances as with this many of W, A, S, D held
    OverlayShown overlay = OverlayShown::Drawn;
    FrameTime time = FrameTime::WallClock;
};

// The viewer's: the camera by the keys and the mouse, with the delta that the
// frame clock measured at the end of the previous frame.
FrameInput viewerFrameInput(const FrameClock& clock, const Drawing& drawing, const World& world);

// A recorded frame fed back: the eye as it was drawn (ground following had
// already placed it, crouched or not), its states, at a delta of the replay's own.
FrameInput replayedFrameInput(const WalkFrame& frame, float frameDelta, OverlayShown overlay);

// The frame as F9 records it: the input's states, with the eye and the point
// looked at as the camera was drawn. The recording sets the time.
WalkFrame recordedWalkFrame(const FrameInput& input, const Camera& drawn);
