#pragma once
// Mouse look reads the pointer, turns by its distance from a hold point and
// puts it back there. Not every window system lets a program move the pointer:
// Wayland has no such request, a compositor's X server ignores it while the
// pointer shows, and an X server may refuse it. A pointer left where it was
// would be read off the hold point again on every update, and the view would
// keep turning. PointerHold keeps the reads honest. While put-backs land, the
// pointer's own position is read, exactly as the window system has it. Once
// one does not, only the pointer's motion counts: a read gives the point it was
// last put back at plus the motion since, so a still pointer reads as held.
//
// Plain logic over what the window system offers, so tests can script a
// pointer; the SDL layer wires in the real one.

namespace platform {

struct PointerDevice {
    void (*position)(int& x, int& y); // on the screen
    bool (*warp)(int x, int y);       // false when the request is refused outright
    void (*motion)(int& dx, int& dy); // since the last call, wherever the pointer is
    void (*followMotion)();           // from now on only motion is read
};

struct PointerHold {
    bool followsMotion = false;
    int x = 0; // while following motion: where a pointer put back would be now
    int y = 0;

    // For window systems known to leave the pointer alone: follows motion from
    // the start, as if the pointer had just been put back at (atX, atY).
    void startFollowingMotion(const PointerDevice& device, int atX, int atY);
    void read(const PointerDevice& device, int& outX, int& outY);
    void put(const PointerDevice& device, int toX, int toY);
};

} // namespace platform
