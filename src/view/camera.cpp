#include "view/camera.h"

#include "input/key_bindings.h"

#include <GL/glu.h>

#include <cmath>

namespace {

Vector3 offset(Vector3 to, Vector3 from) { return {to.x - from.x, to.y - from.y, to.z - from.z}; }

Vector3 add(Vector3 a, Vector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

Vector3 scaled(Vector3 v, float s) { return {v.x * s, v.y * s, v.z * s}; }

} // namespace

Vector3 cross(Vector3 a, Vector3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

float magnitude(Vector3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

Vector3 normalize(Vector3 v, Vector3 whenDegenerate)
{
    const float length = magnitude(v);
    if (!(length > 0) || !std::isfinite(length))
        return whenDegenerate;
    return {v.x / length, v.y / length, v.z / length};
}

void Camera::place(Vector3 eye, Vector3 lookAt, Vector3 up)
{
    position = eye;
    viewPoint = lookAt;
    upVector = up;
}

void Camera::update(const KeyStateTable& keys, float clockDelta, const CursorAccess& cursor)
{
    // Looking along the up vector leaves no right-hand direction; the last
    // one stays, so side-steps and the pitch axis keep working.
    strafeVector = normalize(cross(offset(viewPoint, position), upVector), strafeVector);
    lookWithMouse(cursor);
    readKeys(keys, clockDelta);
}

void Camera::lookWithMouse(const CursorAccess& cursor)
{
    int x = 0;
    int y = 0;
    cursor.read(x, y);
    if (x == kCursorHoldX && y == kCursorHoldY)
        return;
    cursor.put(kCursorHoldX, kCursorHoldY);

    // Left of the hold point turns left, above it looks up.
    turn(static_cast<float>(kCursorHoldX - x) * kMouseRadiansPerPixel,
         static_cast<float>(kCursorHoldY - y) * kMouseRadiansPerPixel);
}

void Camera::turn(float yaw, float pitch)
{
    pitchAccumulator -= pitch;
    if (pitchAccumulator > kPitchLimit) {
        pitchAccumulator = kPitchLimit;
    } else if (pitchAccumulator < -kPitchLimit) {
        pitchAccumulator = -kPitchLimit;
    } else {
        // The tilt axis is taken before the yaw turns the view.
        const Vector3 axis = normalize(cross(offset(viewPoint, position), upVector), strafeVector);
        rotateView(pitch, axis.x, axis.y, axis.z);
    }
    rotateView(yaw, 0, 1, 0);
}

void Camera::readKeys(const KeyStateTable& keys, float clockDelta)
{
    walk({isActionHeld(keys, KeyAction::WalkForward), isActionHeld(keys, KeyAction::WalkBack),
          isActionHeld(keys, KeyAction::StepLeft), isActionHeld(keys, KeyAction::StepRight)},
         clockDelta);
}

void Camera::walk(WalkSteps steps, float seconds)
{
    speed = seconds * kWalkSpeed;

    // Independent steps: opposite ways cancel, and walking plus side-stepping
    // add up to a diagonal.
    if (steps.forward)
        moveForward(speed);
    if (steps.back)
        moveForward(-speed);
    if (steps.left)
        strafe(-speed);
    if (steps.right)
        strafe(speed);
}

void Camera::rotateView(float angle, float x, float y, float z)
{
    const Vector3 v = offset(viewPoint, position);
    const float co = std::cos(angle);
    const float si = std::sin(angle);
    const float k = 1 - co;

    Vector3 turned;
    turned.x = (co + k * x * x) * v.x + (k * x * y - z * si) * v.y + (k * x * z + y * si) * v.z;
    turned.y = (k * x * y + z * si) * v.x + (co + k * y * y) * v.y + (k * y * z - x * si) * v.z;
    turned.z = (k * x * z - y * si) * v.x + (k * y * z + x * si) * v.y + (co + k * z * z) * v.z;
    viewPoint = add(position, turned);
}

void Camera::strafe(float distance)
{
    // Side-steps stay level whatever the strafe vector's tilt.
    position.x += distance * strafeVector.x;
    position.z += distance * strafeVector.z;
    viewPoint.x += distance * strafeVector.x;
    viewPoint.z += distance * strafeVector.z;
}

void Camera::moveForward(float distance)
{
    // An eye sitting on its view point has no direction to walk in.
    const Vector3 step = scaled(normalize(offset(viewPoint, position), {0, 0, 0}), distance);
    position = add(position, step);
    viewPoint = add(viewPoint, step);
}

void Camera::applyView() const
{
    gluLookAt(position.x, position.y, position.z, viewPoint.x, viewPoint.y, viewPoint.z, upVector.x, upVector.y,
              upVector.z);
}
