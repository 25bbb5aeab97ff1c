#pragma once
// Ground following: the eye stands on the ground at eye height with a
// walking bob, or crouched: on the height map's cell under it, or on a fine
// ground's full-detail surface at the eye's own point. It only acts while the eye is less than 10 units
// above the ground beneath it; higher up the viewer floats. The keys that
// steer it are read after each frame's buffer swap and take effect in the
// next frame. Heights in world units, the phase in radians.

#include "input/key_state.h"
#include "terrain/ground_lookup.h"
#include "view/camera.h"

constexpr float kGroundCaptureHeight = 10;
constexpr float kStandingEyeHeight = 5.5f;
constexpr float kBobAmplitude = 0.2f;      // times sin(walkPhase)
constexpr float kCrouchedEyeHeight = 1.5f; // no bob
constexpr float kWalkPhaseRate = 1.05f;    // times the camera's speed, per held key per frame

struct GroundFollowing {
    float walkPhase = 0; // radians; grows while W, A, S or D is held, never wrapped
    bool crouching = false;
};

// Puts the eye back on the ground, moving the view point by the same height so
// the view never tilts.
void followGround(Camera& camera, const GroundLookup& lookup, const GroundFollowing& ground);
// C latches the crouch: every press crouches; a release that leaves the key's
// toggle bit clear (every second one) stands up.
void pollCrouchKey(GroundFollowing& ground, const KeyStateTable& keys);
// Each held letter key W, A, S, D advances the bob; the arrow keys do not.
void advanceWalkPhase(GroundFollowing& ground, const KeyStateTable& keys, float cameraSpeed);
// The same for a count of those keys held (a tool's walk holds none).
void advanceWalkPhase(GroundFollowing& ground, int heldKeys, float cameraSpeed);
