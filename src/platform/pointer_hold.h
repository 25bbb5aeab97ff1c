#pragma once
// Mouse look reads the pointer, turns by its distance from a hold point and
// puts it back there. The hold point is the centre of the window's client
// area, wherever the window manager put the window and however large it is;
// the caller names it by where that centre lies in a window of the size first
// created, sitting at the screen's top-left (so (400, 300) for 800 x 600),
// and reads and puts the pointer in that frame.
//
// The pointer is the user's while the window lacks the keyboard focus: it is
// never moved, and it reads as held, so nothing turns. Whenever the view could
// jump for reasons of the window's own (its first appearance, a move, a
// resize, the focus coming back) the next read puts the pointer back at the
// hold point and reads as held: mouse look resumes from there without a turn.
//
// Not every window system lets a program move the pointer: Wayland has no
// such request, a compositor's X server ignores it while the pointer shows,
// and an X server may refuse it. A pointer left where it was would be read off
// the hold point again on every update, and the view would keep turning.
// PointerHold keeps the reads honest. While put-backs land, the pointer's own
// position is read, exactly as the window system has it. Once one does not,
// only the pointer's motion counts: a read gives the point it was last put
// back at plus the motion since, so a still pointer reads as held.
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
    int x = 0; // while following motion: where a pointer put back would be now,
    int y = 0; // on the screen
    bool focused = false;
    bool settled = false; // false until the next read has put the pointer back
    int heldX = 0; // the hold point as the caller sees it
    int heldY = 0;
    int offsetX = 0; // the client area's centre on the screen, less (heldX, heldY)
    int offsetY = 0;

    // The window's client area now has its centre at (screenX, screenY) on the
    // screen, which the caller sees as (holdX, holdY). Its first placement,
    // and every move or resize after it.
    void place(int holdX, int holdY, int screenX, int screenY);
    void setFocus(bool hasFocus);

    // For window systems known to leave the pointer alone: follows motion from
    // now on, as if the pointer had just been put back at the hold point.
    void startFollowingMotion(const PointerDevice& device);
    // In the caller's frame.
    void read(const PointerDevice& device, int& outX, int& outY);
    void put(const PointerDevice& device, int toX, int toY);

private:
    void followFrom(const PointerDevice& device, int screenX, int screenY);
    void readScreen(const PointerDevice& device, int& screenX, int& screenY);
    void putScreen(const PointerDevice& device, int screenX, int screenY);
};

} // namespace platform
