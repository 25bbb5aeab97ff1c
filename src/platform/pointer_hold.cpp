#include "platform/pointer_hold.h"

namespace platform {

void PointerHold::place(int holdX, int holdY, int screenX, int screenY)
{
    heldX = holdX;
    heldY = holdY;
    offsetX = screenX - holdX;
    offsetY = screenY - holdY;
    settled = false;
}

void PointerHold::setFocus(bool hasFocus)
{
    focused = hasFocus;
    settled = false;
}

void PointerHold::startFollowingMotion(const PointerDevice& device)
{
    followFrom(device, heldX + offsetX, heldY + offsetY);
}

void PointerHold::read(const PointerDevice& device, int& outX, int& outY)
{
    outX = heldX;
    outY = heldY;
    if (!focused)
        return;
    if (!settled) {
        // Whatever moved since (the window, or the pointer while it was the
        // user's) never turns the view: mouse look starts again from here.
        settled = true;
        if (followsMotion)
            followFrom(device, heldX + offsetX, heldY + offsetY);
        else
            putScreen(device, heldX + offsetX, heldY + offsetY);
        return;
    }
    int screenX = 0;
    int screenY = 0;
    readScreen(device, screenX, screenY);
    outX = screenX - offsetX;
    outY = screenY - offsetY;
}

void PointerHold::put(const PointerDevice& device, int toX, int toY)
{
    if (focused)
        putScreen(device, toX + offsetX, toY + offsetY);
}

void PointerHold::followFrom(const PointerDevice& device, int screenX, int screenY)
{
    // Motion from before this point was never meant to turn anything.
    int dx = 0;
    int dy = 0;
    device.motion(dx, dy);
    followsMotion = true;
    x = screenX;
    y = screenY;
    device.followMotion();
}

void PointerHold::readScreen(const PointerDevice& device, int& screenX, int& screenY)
{
    if (!followsMotion) {
        device.position(screenX, screenY);
        return;
    }
    int dx = 0;
    int dy = 0;
    device.motion(dx, dy);
    x += dx;
    y += dy;
    screenX = x;
    screenY = y;
}

void PointerHold::putScreen(const PointerDevice& device, int screenX, int screenY)
{
    if (followsMotion) {
        x = screenX;
        y = screenY;
        return;
    }
    int beforeX = 0;
    int beforeY = 0;
    device.position(beforeX, beforeY);
    const bool accepted = device.warp(screenX, screenY);
    int afterX = 0;
    int afterY = 0;
    device.position(afterX, afterY);
    // A put-back that left the pointer exactly where it was did not happen.
    // One that raced the user's hand lands elsewhere, and counts as landed: a
    // moving pointer must not switch a working warp off.
    const bool stayed = afterX == beforeX && afterY == beforeY && (afterX != screenX || afterY != screenY);
    if (accepted && !stayed)
        return;
    followFrom(device, screenX, screenY);
}

} // namespace platform
