#pragma once
// The one viewer: an eye point, the point it looks at and an up vector, in
// world units with y up. Angles are radians. The offset viewPoint - position
// keeps its length: rotations turn it, walking moves both points together.
//
// Mouse look holds the cursor at (400, 300), the centre of the 800 x 600 client
// area as the platform reports the cursor (it maps that point to wherever the
// window is), and turns by 0.002
// radians per pixel it has moved away; walking covers 12 world units per
// second of frame delta. A direction that cannot be normalised (a view along
// the up vector) never turns into NaN: the previous direction is kept.
// Walking stops at the edge of the drawn ground (walk_bounds.h).

#include "input/key_state.h"

struct Vector3 {
    float x, y, z;
};

Vector3 cross(Vector3 a, Vector3 b);
float magnitude(Vector3 v);
// v scaled to length 1; whenDegenerate when v has no usable length (zero,
// too small to square, or not finite).
Vector3 normalize(Vector3 v, Vector3 whenDegenerate);

// Where start-up places the viewer: above the middle of the map, looking
// along +x, upright. Ground following then puts the eye on the ground.
constexpr Vector3 kStartPosition{500, 35, 500};
constexpr Vector3 kStartViewPoint{501, 35, 500};
constexpr Vector3 kUpVector{0, 1, 0};

constexpr int kCursorHoldX = 400; // the centre of the client area, in the
constexpr int kCursorHoldY = 300; // platform's cursor pixels
constexpr float kMouseRadiansPerPixel = 0.002f;
constexpr float kPitchLimit = 1; // bound of the pitch accumulator, both ways
constexpr float kWalkSpeed = 12; // world units per second of frame delta

// Where mouse look reads the cursor and puts it back, in screen pixels. The
// viewer hands in the platform's cursor; tests script one.
struct CursorAccess {
    void (*read)(int& x, int& y);
    void (*put)(int x, int y);
};

// Which ways a walk goes in one update. Opposite ways are both taken, one
// after the other, so they cancel only up to rounding.
struct WalkSteps {
    bool forward, back, left, right;
};

struct Camera {
    Vector3 position{0, 0, 0}; // eye point
    Vector3 viewPoint{0, 1, 0.5f};
    Vector3 upVector{0, 0, 1};
    Vector3 strafeVector{0, 0, 0}; // unit vector to the viewer's right, set by update
    float speed = 0;               // world units walked in this update: 12 x frame delta
    // Negated sum of the vertical mouse angles, in [-1, 1]. A mouse move that
    // would take it past a bound sets it to the bound and drops its whole
    // vertical angle, so it only roughly tracks the actual tilt.
    float pitchAccumulator = 0;

    void place(Vector3 eye, Vector3 lookAt, Vector3 up);

    // Once per idle turn, before the frame clock ticks: the strafe vector,
    // mouse look, then walking with the frame delta measured at the end of the
    // previous turn, the ways the key bindings hold.
    void update(const KeyStateTable& keys, float clockDelta, const CursorAccess& cursor);
    void lookWithMouse(const CursorAccess& cursor);
    void readKeys(const KeyStateTable& keys, float clockDelta);

    // Turns left by yaw and up by pitch, radians. The pitch first, about the
    // current right-hand axis, unless it takes pitchAccumulator past a bound.
    void turn(float yaw, float pitch);
    // Walks the given ways for `seconds` at kWalkSpeed; sets speed even when
    // no way is taken.
    void walk(WalkSteps steps, float seconds);

    // Turns the view point about the axis (x, y, z) through the eye,
    // right-handed; the axis must be a unit vector.
    void rotateView(float angle, float x, float y, float z);
    void strafe(float distance);      // along strafeVector, in x and z only
    void moveForward(float distance); // along the view direction, y included

    // The look-at transform on the current model-view matrix.
    void applyView() const;
};
