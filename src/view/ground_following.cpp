#include "view/ground_following.h"

#include "input/key_bindings.h"

#include <cmath>

void followGround(Camera& camera, const GroundLookup& lookup, const GroundFollowing& ground)
{
    const Vector3 eye = camera.position;
    const float groundHeight = lookup.heightAt(eye.x, eye.z);
    // Tested against the eye's height before correction, so a viewer high above
    // the ground keeps floating until the ground comes within reach again.
    if (!(groundHeight + kGroundCaptureHeight > eye.y))
        return;

    const float newY = ground.crouching
                           ? groundHeight + kCrouchedEyeHeight
                           : groundHeight + kBobAmplitude * std::sin(ground.walkPhase) + kStandingEyeHeight;
    const Vector3 view = camera.viewPoint;
    camera.place({eye.x, newY, eye.z}, {view.x, view.y + (newY - eye.y), view.z}, kUpVector);
}

void pollCrouchKey(GroundFollowing& ground, const KeyStateTable& keys)
{
    const uint8_t state = actionKeyState(keys, KeyAction::Crouch);
    if ((state & KeyStateTable::kHeld) != 0 && !ground.crouching)
        ground.crouching = true;
    if (state == 0 && ground.crouching)
        ground.crouching = false;
}

void advanceWalkPhase(GroundFollowing& ground, const KeyStateTable& keys, float cameraSpeed)
{
    advanceWalkPhase(ground, heldBobKeys(keys), cameraSpeed);
}

void advanceWalkPhase(GroundFollowing& ground, int heldKeys, float cameraSpeed)
{
    for (int held = heldKeys; held > 0; --held)
        ground.walkPhase += cameraSpeed * kWalkPhaseRate;
}
