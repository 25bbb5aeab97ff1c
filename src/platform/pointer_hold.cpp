#include "platform/pointer_hold.h"

namespace platform {

void PointerHold::startFollowingMotion(const PointerDevice& device, int atX, int atY)
{
    // Motion from before this point was never meant to turn anything.
    int dx = 0;
    int dy = 0;
    device.motion(dx, dy);
    followsMotion = true;
    x = atX;
    y = atY;
    device.followMotion();
}

void PointerHold::read(const PointerDevice& device, int& outX, int& outY)
{
    if (!followsMotion) {
        device.position(outX, outY);
        return;
    }
    int dx = 0;
    int dy = 0;
    device.motion(dx, dy);
    x += dx;
    y += dy;
    outX = x;
    outY = y;
}

void PointerHold::put(const PointerDevice& device, int toX, int toY)
{
    if (followsMotion) {
        x = toX;
        y = toY;
        return;
    }
    int beforeX = 0;
    int beforeY = 0;
    device.position(beforeX, beforeY);
    const bool accepted = device.warp(toX, toY);
    int afterX = 0;
    int afterY = 0;
    device.position(afterX, afterY);
    // A put-back that left the pointer exactly where it was did not happen.
    // One that raced the user's hand lands elsewhere, and counts as landed: a
    // moving pointer must not switch a working warp off.
    const bool stayed = afterX == beforeX && afterY == beforeY && (afterX != toX || afterY != toY);
    if (accepted && !stayed)
        return;
    startFollowingMotion(device, toX, toY);
}

} // namespace platform
