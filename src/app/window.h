#pragma once
// The one window from the start-up question to the end of the process: the
// full-screen question, the window and its display mode, the pixel format and
// the rendering context, and the matching shutdown and the way out when
// start-up cannot go on.

#include "app/drawing.h"
#include "app/shell_state.h"
#include "app/world.h"

#include <cstdint>

constexpr const char* kWindowTitle = "Veldra Engine";
constexpr int kClientWidth = 800; // pixels, in both modes
constexpr int kClientHeight = 600;

// How the run mode is chosen: by the start-up question, or in advance from
// the command line, in which case no box is shown. FullScreenDesktop covers
// the desktop at its own resolution, without a change of display mode.
enum class StartMode : uint8_t { Ask, Windowed, FullScreen, FullScreenDesktop };

// "Click Yes to go to full screen (Recommended)": only No runs in a window.
bool askForFullScreen();
bool createMainWindow(Shell& shell, const char* title, int width, int height);
void switchDisplayMode(Shell& shell);
bool checkPixelFormat();
// A context that cannot be made posts a quit; the viewport is set up either way.
void createRenderingContext(MessageQueue& queue, Drawing& drawing, int width, int height);

// Deletes the terrain list and the fine ground (its GL objects, then its
// loader), releases the context and, after full screen,
// restores the display mode and shows the cursor. The window system itself
// stays up until platform::terminate.
void shutDown(const Shell& shell, Drawing& drawing, World& world);
// The way out where start-up cannot go on: shuts down, closes the window
// system and ends the process with status 0, with nothing else shown.
[[noreturn]] void endProcessAtOnce(const Shell& shell, Drawing& drawing, World& world);
