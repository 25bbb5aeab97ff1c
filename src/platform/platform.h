#pragma once
// The one seam between Lumora and the window system (SDL2), the font stack
// (FreeType, fontconfig) and the clocks. Nothing above this folder includes
// their headers. The platform only reports: it turns window-system events into
// plain records and answers queries; what a key press or a close means is
// decided once, in portable code (src/input/ and src/app/).
//
// Coordinates are screen pixels with (0, 0) at the top-left of the screen.
// There is at most one window; it is created once and lives until shutDown.

#include <cstdint>

namespace platform {

// What the window system reported, in our own terms.
enum class EventKind : uint8_t {
    Size,    // client area resized: width, height
    Paint,   // the window needs repainting
    Close,   // the user asked to close the window
    KeyDown, // key, repeat
    KeyUp,   // key
    LeftButtonDown,
    RightButtonDown,
};

struct Event {
    EventKind kind;
    int key;     // virtual key code (see keys.h), for KeyDown and KeyUp
    bool repeat; // KeyDown caused by the keyboard's auto-repeat
    int width;   // for Size
    int height;  // for Size
};

// Start-up and shutdown of the window system itself.
bool initialise();
void terminate();

// Display mode for full screen: exactly width x height, at the colour depth in
// use. There is no nearest-mode substitution: a display without that mode
// refuses. The switch takes effect when the full-screen window is created.
enum class DisplayModeResult : uint8_t { Switched, CannotReadCurrent, Refused };
DisplayModeResult switchDisplayMode(int width, int height);
void restoreDisplayMode();

// The one window. Its client area is width x height at the screen's top-left;
// full screen makes it a borderless pop-up over the switched display, and
// full screen on the desktop a borderless window over the whole desktop at
// the desktop's own resolution (getClientSize tells it), without any change
// of display mode. The cursor's coordinates stay those of width x height
// (see getCursorPosition).
// A double-buffered RGBA visual with a 32-bit depth buffer is asked for, falling
// back to the deepest depth buffer offered; hasPixelFormat() says whether any
// GL-capable visual was found at all.
enum class WindowMode : uint8_t { Windowed, FullScreen, FullScreenDesktop };
bool createWindow(const char* title, int width, int height, WindowMode mode);
bool hasWindow();
bool hasPixelFormat();
void showWindow();
void hideWindow(); // for good, once closed; the resources go with terminate()
void setWindowTitle(const char* title);
void getClientSize(int& width, int& height);
// Asks for a client area of width x height, as a user's drag would; the size
// message follows when the window system has done it.
void resizeWindow(int width, int height);

// The rendering context, current on the calling thread.
bool createRenderingContext();
bool hasRenderingContext();
void deleteRenderingContext();
void swapBuffers();
void* getProcAddress(const char* name);
bool hasGlExtension(const char* name);
int depthBits();

// Events, without waiting. Returns false when none is pending.
bool pollEvent(Event& event);

// Modal message boxes. The owner is the main window when asked for and a
// window exists. A hook lets tests and tools answer them without a screen;
// it gets the context given with it.
// A box that the window system cannot show is never lost: its title and text
// go to standard error as one line, and the answer is what a dismissed box
// gives (OK for an OK box, Closed, not No, for a question).
enum class MessageBoxKind : uint8_t { Ok, YesNoQuestion };
enum class MessageBoxAnswer : uint8_t { Ok, Yes, No, Closed };
enum class BoxOwner : uint8_t { None, MainWindow };
using MessageBoxHook = MessageBoxAnswer (*)(const void* context, const char* text, const char* title,
                                            MessageBoxKind kind);
MessageBoxAnswer showMessageBox(const char* text, const char* title, MessageBoxKind kind, BoxOwner owner);
// The one kind of failure box: title "Error", one OK button.
void showErrorBox(const char* text, BoxOwner owner);
void setMessageBoxHook(MessageBoxHook hook, const void* context = nullptr);

// The line written for a box that cannot be shown, "lumora: TITLE: TEXT",
// with the text's line breaks turned into spaces and trailing ones dropped;
// cut to fit lineSize bytes, always terminated.
void describeUnshownMessageBox(const char* text, const char* title, char* line, int lineSize);

// The mouse cursor, in pixels as if the window, at the size first created,
// sat at the screen's top-left: its client area's centre is always
// (width / 2, height / 2) of that size, wherever the window is and however
// large it has grown. Only while the window has the keyboard focus is the
// pointer read and set; otherwise a read gives that centre and a set does
// nothing. The window's first appearance, a move, a resize and the focus
// coming back put the pointer at the centre at the next read, which gives the
// centre. Where the window system cannot put the pointer back (Wayland, a
// compositor's X server, an X server refusing the warp), a read gives the
// point last set plus the pointer's motion since, and the pointer is hidden
// over the window while it has the focus (see pointer_hold.h).
void getCursorPosition(int& x, int& y);
void setCursorPosition(int x, int y);
void showCursor(bool visible);

// Clocks: milliseconds, and a finer monotonic one in seconds.
uint32_t milliseconds();
double seconds();

} // namespace platform
