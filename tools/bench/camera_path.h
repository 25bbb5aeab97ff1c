#pragma once
// The benchmark's walk: from the start-up placement (500, 35, 500), looking
// along +x, the eye walks 12 world units per second while turning 6 degrees
// per second to the left, on a circle of radius 12 / (6 degrees in radians),
// about 114.6 units, one turn a minute. The frame's ground following sets the
// eye's height, so the path itself never changes y.

#include "view/camera.h"

constexpr float kPathWalkSpeed = 12;                            // world units per second
constexpr float kPathTurnRate = 6.0f * 3.14159265358979f / 180; // radians per second, to the left
constexpr float kPathStartX = 500;
constexpr float kPathStartZ = 500;

struct CameraPath {
    float heading = 0; // radians from +x towards -z, as a positive yaw turns the camera
};

// Puts the camera where the path begins, at the given eye height.
void startCameraPath(CameraPath& path, Camera& camera, float eyeHeight);

// One step of `seconds`: turns, then walks along the new heading, keeping the
// view point one unit ahead at the eye's height. Sets the camera's speed as its
// own key handling would, so the walking bob sees an ordinary walk; the same
// seconds go to the frame as its delta.
void stepCameraPath(CameraPath& path, Camera& camera, float seconds);
