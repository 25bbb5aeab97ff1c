#pragma once
// The one viewer: an eye point, the point it looks at and an up vector, in
// world units with y up. Angles are radians. The offset viewPoint - position
// keeps its length: rotations turn it, walking moves both points together.

#include "app/messages.h"

struct Vector3 {
    float x, y, z;
};

struct Camera {
    Vector3 position{0, 0, 0};   // eye point
    Vector3 viewPoint{0, 1, 0.5f};
    Vector3 upVector{0, 0, 1};
    Vector3 strafeVector{0, 0, 0}; // unit vector to the viewer's right, set by update
    float speed = 0;      // world units walked in this update: 12 x frame delta
    float frameDelta = 0; // seconds; the frame delta this update walked with

    void place(float px, float py, float pz, float vx, float vy, float vz, float ux, float uy, float uz);
    // Once per idle turn, before the frame clock ticks: mouse look and walking
    // with the frame delta measured at the end of the previous turn.
    void update(const KeyStateTable& keys, float clockDelta);
    void applyView() const;
};
