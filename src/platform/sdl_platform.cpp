#include "platform/platform.h"

#include "platform/keys.h"
#include "platform/pointer_hold.h"
#include "platform/window_icon.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <initializer_list>
#include <malloc.h>

namespace platform {
namespace {

SDL_Window* window = nullptr;
WindowMode windowMode = WindowMode::Windowed;
SDL_GLContext context = nullptr;
bool windowIsGlCapable = false;
bool displayModeSwitched = false;
SDL_DisplayMode fullScreenMode{};
bool windowClosed = false;
MessageBoxHook messageBoxHook = nullptr;
const void* messageBoxContext = nullptr;
PointerHold pointerHold;

// Depth-buffer sizes tried in turn: the 32 bits asked for, then the deepest
// that the system offers, as a pixel-format match would.
constexpr int kDepthBitsWanted[] = {32, 24, 16, 0};

void setGlAttributes(int depth)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
}

int virtualKey(SDL_Keycode code)
{
    if (code >= SDLK_a && code <= SDLK_z)
        return 'A' + (code - SDLK_a);
    if (code >= SDLK_0 && code <= SDLK_9)
        return '0' + (code - SDLK_0);
    switch (code) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return kKeyReturn;
    case SDLK_ESCAPE:
        return kKeyEscape;
    case SDLK_SPACE:
        return kKeySpace;
    case SDLK_LEFT:
        return kKeyLeft;
    case SDLK_UP:
        return kKeyUp;
    case SDLK_RIGHT:
        return kKeyRight;
    case SDLK_DOWN:
        return kKeyDown;
    case SDLK_F3:
        return kKeyF3;
    case SDLK_F9:
        return kKeyF9;
    case SDLK_F12:
        return kKeyF12;
    default:
        return 0;
    }
}

Display* x11Display()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        return info.info.x11.display;
    return nullptr;
}

void pointerPosition(int& x, int& y)
{
    // SDL keeps the global position cached until it sees raw pointer motion,
    // so a pointer moved by other means (a warp, a scripted move) would go
    // unseen. On X11 ask the server itself, as a cursor read should.
    if (Display* display = x11Display()) {
        Window root = 0;
        Window child = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned int buttons = 0;
        if (XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX, &windowY, &buttons))
            return;
    }
    SDL_GetGlobalMouseState(&x, &y);
}

// A normal top-level window that task bars and launchers can tell apart: the
// class that the desktop entry names, and the icon drawn for it.
void introduceWindow()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        char name[] = "lumora";
        char className[] = "Lumora";
        XClassHint hint{name, className};
        XSetClassHint(info.info.x11.display, info.info.x11.window, &hint);
        // Where no window manager has announced its decoration hints, SDL
        // marks the window as transient for the root, which makes it a dialog
        // of nothing to a window manager started later.
        XDeleteProperty(info.info.x11.display, info.info.x11.window, XA_WM_TRANSIENT_FOR);
    }
    // SDL copies the pixels; the surface only lends them.
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(kWindowIconPixels),
                                                           kWindowIconWidth, kWindowIconHeight, 32,
                                                           kWindowIconWidth * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

bool pointerWarp(int x, int y) { return SDL_WarpMouseGlobal(x, y) == 0; }

void pointerMotion(int& dx, int& dy)
{
    SDL_GetRelativeMouseState(&dx, &dy);
    // Without the focus the pointer is the user's, free and shown (see
    // followFocus); crossing the window then turns nothing.
    if (!SDL_GetRelativeMouseMode())
        dx = dy = 0;
}

// The pointer hidden over the window and its motion read, not its position.
void pointerFollowMotion()
{
    if (window && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0)
        SDL_SetRelativeMouseMode(SDL_TRUE);
}

const PointerDevice screenPointer{pointerPosition, pointerWarp, pointerMotion, pointerFollowMotion};

// A compositor's own X server takes a warp to heart only while the client
// hides the pointer: its answers move, the pointer on the screen does not.
// It names its outputs after itself.
bool isCompositorsXServer(Display* display)
{
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase))
        return false;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (!resources)
        return false;
    bool named = false;
    for (int i = 0; i < resources->noutput && !named; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (output) {
            named = SDL_strncmp(output->name, "XWAYLAND", 8) == 0;
            XRRFreeOutputInfo(output);
        }
    }
    XRRFreeScreenResources(resources);
    return named;
}

bool pointerStaysWhereItIs()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && SDL_strcmp(driver, "wayland") == 0)
        return true; // Wayland has no way to move the pointer at all
    Display* display = x11Display();
    return display && isCompositorsXServer(display);
}

// The pointer is held only while the window has the keyboard focus. While it
// cannot be put back it is hidden over the window; with the focus gone it
// comes back, free, until the window has the focus again.
void followFocus(bool focused)
{
    pointerHold.setFocus(focused);
    if (pointerHold.followsMotion)
        SDL_SetRelativeMouseMode(focused ? SDL_TRUE : SDL_FALSE);
}

// The hold point follows the client area's centre; the caller keeps seeing it
// where it lies in a window of the size first created at the screen's origin.
void placeHoldPoint()
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    pointerHold.place(pointerHold.heldX, pointerHold.heldY, x + width / 2, y + height / 2);
}

// A window full screen on the desktop is made so by the window manager; on
// an X display without one it would keep its first size while SDL reports
// the desktop's, so it is put over the whole display here. With a window
// manager the request asks for what it has done already.
void coverDisplay()
{
    Display* display = x11Display();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Rect bounds{};
    if (!display || !SDL_GetWindowWMInfo(window, &info) ||
        SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) != 0)
        return;
    XMoveResizeWindow(display, info.info.x11.window, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
                      static_cast<unsigned>(bounds.h));
    XSync(display, False);
}

// Translates one SDL event; false for events the program never sees.
bool translate(const SDL_Event& in, Event& out)
{
    out = Event{};
    switch (in.type) {
    case SDL_WINDOWEVENT:
        switch (in.window.event) {
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_SHOWN:
            placeHoldPoint();
            return false;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            placeHoldPoint();
            out.kind = EventKind::Size;
            out.width = in.window.data1;
            out.height = in.window.data2;
            return true;
        // Minimising is a resize to height 0 and restoring one back to the
        // client size, though SDL reports no size change for either: so a
        // zoomed view comes back at the normal field of view.
        case SDL_WINDOWEVENT_MINIMIZED:
            out.kind = EventKind::Size;
            SDL_GetWindowSize(window, &out.width, &out.height);
            out.height = 0;
            return true;
        case SDL_WINDOWEVENT_RESTORED:
            placeHoldPoint();
            out.kind = EventKind::Size;
            SDL_GetWindowSize(window, &out.width, &out.height);
            return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            followFocus(in.window.event == SDL_WINDOWEVENT_FOCUS_GAINED);
            return false;
        case SDL_WINDOWEVENT_EXPOSED:
            out.kind = EventKind::Paint;
            return true;
        case SDL_WINDOWEVENT_CLOSE:
            out.kind = EventKind::Close;
            return !windowClosed;
        default:
            return false;
        }
    case SDL_QUIT: // a signal, or the session ending: treat it as closing
        out.kind = EventKind::Close;
        return !windowClosed;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        out.kind = in.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
        out.key = virtualKey(in.key.keysym.sym);
        out.repeat = in.key.repeat != 0;
        return out.key != 0;
    case SDL_MOUSEBUTTONDOWN:
        if (in.button.button == SDL_BUTTON_RIGHT) {
            out.kind = EventKind::RightButtonDown;
            return true;
        }
        if (in.button.button == SDL_BUTTON_LEFT) {
            out.kind = EventKind::LeftButtonDown;
            return true;
        }
        return false;
    default:
        return false;
    }
}

// Nothing can be shown without a display, so say why on the terminal: which
// display could not be reached, or that none is named.
void sayNoDisplay()
{
    for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        const char* name = SDL_getenv(variable);
        if (name && *name) {
            std::fprintf(stderr, "lumora: no display to open a window on (cannot reach %s=%s)\n", variable, name);
            return;
        }
    }
    std::fprintf(stderr, "lumora: no display to open a window on (set DISPLAY or WAYLAND_DISPLAY)\n");
}

} // namespace

bool initialise()
{
    // The software renderer's worker threads would each grow a malloc arena
    // of their own, and resident memory would climb in steps over a long run
    // as the views change; one arena keeps it flat. Must come before any
    // thread exists.
    mallopt(M_ARENA_MAX, 1);
    // Closing the window is a message like any other; the program decides.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Without a runtime folder there is no Wayland socket to find, and the
    // Wayland library would only complain about it on standard error.
    if (!SDL_getenv("SDL_VIDEODRIVER") && !SDL_getenv("XDG_RUNTIME_DIR") && !SDL_getenv("WAYLAND_DISPLAY"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        sayNoDisplay();
        return false;
    }
    // Without a display SDL falls back to drawing nowhere, and a viewer that
    // nobody can see is no use.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
        sayNoDisplay();
        SDL_Quit();
        return false;
    }
    return true;
}

void terminate()
{
    deleteRenderingContext();
    if (window) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    SDL_Quit();
}

DisplayModeResult switchDisplayMode(int width, int height)
{
    SDL_DisplayMode current{};
    if (SDL_GetCurrentDisplayMode(0, &current) != 0)
        return DisplayModeResult::CannotReadCurrent;
    const int modeCount = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < modeCount; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        if (mode.w == width && mode.h == height &&
            SDL_BITSPERPIXEL(mode.format) == SDL_BITSPERPIXEL(current.format)) {
            fullScreenMode = mode;
            displayModeSwitched = true;
            return DisplayModeResult::Switched;
        }
    }
    return DisplayModeResult::Refused;
}

void restoreDisplayMode()
{
    if (window && displayModeSwitched)
        SDL_SetWindowFullscreen(window, 0);
    displayModeSwitched = false;
}

bool createWindow(const char* title, int width, int height, WindowMode mode)
{
    windowMode = mode;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    switch (mode) {
    case WindowMode::Windowed:
        flags |= SDL_WINDOW_RESIZABLE;
        break;
    case WindowMode::FullScreen:
        flags |= displayModeSwitched ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_BORDERLESS;
        break;
    case WindowMode::FullScreenDesktop:
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        break;
    }

    for (int depth : kDepthBitsWanted) {
        setGlAttributes(depth);
        window = SDL_CreateWindow(title, 0, 0, width, height, flags | SDL_WINDOW_OPENGL);
        if (window) {
            windowIsGlCapable = true;
            break;
        }
    }
    if (!window) // no GL visual at all: the window exists, the pixel format fails
        window = SDL_CreateWindow(title, 0, 0, width, height, flags);
    if (!window)
        return false;
    if (displayModeSwitched)
        SDL_SetWindowDisplayMode(window, &fullScreenMode);
    introduceWindow();
    pointerHold.place(width / 2, height / 2, width / 2, height / 2);
    placeHoldPoint();
    if (pointerStaysWhereItIs())
        pointerHold.startFollowingMotion(screenPointer);
    return true;
}

bool hasWindow() { return window != nullptr; }
bool hasPixelFormat() { return windowIsGlCapable; }

void showWindow()
{
    if (!window)
        return;
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    if (windowMode == WindowMode::FullScreenDesktop)
        coverDisplay();
}

void hideWindow()
{
    windowClosed = true;
    if (window)
        SDL_HideWindow(window);
}

void setWindowTitle(const char* title)
{
    if (window)
        SDL_SetWindowTitle(window, title);
}

void getClientSize(int& width, int& height)
{
    width = height = 0;
    if (window)
        SDL_GetWindowSize(window, &width, &height);
}

void resizeWindow(int width, int height)
{
    if (window)
        SDL_SetWindowSize(window, width, height);
}

bool createRenderingContext()
{
    if (!window || !windowIsGlCapable)
        return false;
    context = SDL_GL_CreateContext(window);
    if (!context)
        return false;
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(0); // frames are drawn back to back, never waiting
    return true;
}

bool hasRenderingContext() { return context != nullptr; }

void deleteRenderingContext()
{
    if (!context)
        return;
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(context);
    context = nullptr;
}

void swapBuffers()
{
    if (window && context)
        SDL_GL_SwapWindow(window);
}

void* getProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

bool hasGlExtension(const char* name) { return context && SDL_GL_ExtensionSupported(name) == SDL_TRUE; }

int depthBits()
{
    int bits = 0;
    if (context)
        SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &bits);
    return bits;
}

bool pollEvent(Event& event)
{
    SDL_Event in;
    while (SDL_PollEvent(&in)) {
        if (translate(in, event))
            return true;
    }
    return false;
}

void setMessageBoxHook(MessageBoxHook hook, const void* context)
{
    messageBoxHook = hook;
    messageBoxContext = context;
}

void describeUnshownMessageBox(const char* text, const char* title, char* line, int lineSize)
{
    if (lineSize <= 0)
        return;
    const int prefix = std::snprintf(line, static_cast<size_t>(lineSize), "lumora: %s: ", title ? title : "");
    int length = prefix < lineSize ? prefix : lineSize - 1;
    for (const char* c = text ? text : ""; *c != '\0' && length < lineSize - 1; ++c)
        line[length++] = (*c == '\n' || *c == '\r') ? ' ' : *c;
    while (length > prefix && line[length - 1] == ' ')
        --length;
    line[length] = '\0';
}

namespace {

MessageBoxAnswer dismissedAnswer(MessageBoxKind kind)
{
    return kind == MessageBoxKind::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::Closed;
}

} // namespace

MessageBoxAnswer showMessageBox(const char* text, const char* title, MessageBoxKind kind, BoxOwner owner)
{
    if (messageBoxHook)
        return messageBoxHook(messageBoxContext, text, title, kind);

    enum : int { kOk = 1, kYes = 2, kNo = 3 };
    const SDL_MessageBoxButtonData okButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kOk, "OK"},
    };
    // Like a Yes/No question box: Return answers Yes, Escape answers nothing.
    const SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kYes, "Yes"},
        {0, kNo, "No"},
    };
    SDL_MessageBoxData data{};
    const bool question = kind == MessageBoxKind::YesNoQuestion;
    data.flags =
        (question ? SDL_MESSAGEBOX_INFORMATION : SDL_MESSAGEBOX_ERROR) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    data.window = owner == BoxOwner::MainWindow && !windowClosed ? window : nullptr;
    data.title = title;
    data.message = text;
    data.numbuttons = question ? 2 : 1;
    data.buttons = question ? yesNoButtons : okButtons;

    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        char line[512];
        describeUnshownMessageBox(text, title, line, sizeof line);
        std::fprintf(stderr, "%s\n", line);
        return dismissedAnswer(kind);
    }
    switch (pressed) {
    case kOk:
        return MessageBoxAnswer::Ok;
    case kYes:
        return MessageBoxAnswer::Yes;
    case kNo:
        return MessageBoxAnswer::No;
    default:
        return MessageBoxAnswer::Closed;
    }
}

void showErrorBox(const char* text, BoxOwner owner) { showMessageBox(text, "Error", MessageBoxKind::Ok, owner); }

void getCursorPosition(int& x, int& y) { pointerHold.read(screenPointer, x, y); }
void setCursorPosition(int x, int y) { pointerHold.put(screenPointer, x, y); }
void showCursor(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

uint32_t milliseconds() { return SDL_GetTicks(); }

double seconds()
{
    static const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
    return static_cast<double>(SDL_GetPerformanceCounter()) / frequency;
}

} // namespace platform
