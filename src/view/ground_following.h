#pragma once
// Ground following: the eye stands on the height map at eye height with a
// walking bob, or crouched. The keys that steer it are read after each frame's
// buffer swap and take effect in the next frame.

#include "app/messages.h"
#include "terrain/height_map.h"
#include "view/camera.h"

struct GroundFollowing {
    float walkPhase = 0;  // radians; grows while W, A, S or D is held
    bool crouching = false;
};

void followGround(Camera& camera, const HeightMap& map, const GroundFollowing& ground);
void pollCrouchKey(GroundFollowing& ground, const KeyStateTable& keys);
void advanceWalkPhase(GroundFollowing& ground, const KeyStateTable& keys, float cameraSpeed);
