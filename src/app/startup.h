#pragma once
// The program's start and end: the full-screen question, the one window and
// its rendering context, the start-up sequence that fills every subsystem in
// a fixed order, and the matching shutdown.
//
// No failure interrupts the start-up sequence: a failure shows its message box
// and either posts a quit request, which ends the main loop before the first
// frame, or (for a picture that a mesh or the flyers need) stops the sequence
// with EndProcess, and the process ends at once through endProcessAtOnce.

#include "app/shell_state.h"
#include "app/world.h"
#include "terrain/extensions.h"

#include <cstdint>

constexpr const char* kWindowTitle = "Veldra Engine";
constexpr int kClientWidth = 800; // pixels, in both modes
constexpr int kClientHeight = 600;

// How the run mode is chosen: by the start-up question, or in advance from
// the command line, in which case no box is shown.
enum class StartMode : uint8_t { Ask, Windowed, FullScreen };

// "Click Yes to go to full screen (Recommended)": only No runs in a window.
bool askForFullScreen();
bool createMainWindow(Shell& shell, const char* title, int width, int height);
void switchDisplayMode(Shell& shell);
bool checkPixelFormat();
void createRenderingContext(Shell& shell, int width, int height);
// Looks the entry points up; each missing group gets its box, owned by the
// main window, and posts a quit.
void loadExtensions(ExtensionEntryPoints& entryPoints, ProcAddressLookup lookup, MessageQueue& queue);
LoadOutcome startUp(Shell& shell, World& world);

// Deletes the terrain list, releases the context and, after full screen,
// restores the display mode and shows the cursor. The window system itself
// stays up until platform::terminate.
void shutDown(Shell& shell, World& world);
// The way out where start-up cannot go on: shuts down, closes the window
// system and ends the process with status 0, with nothing else shown.
[[noreturn]] void endProcessAtOnce(Shell& shell, World& world);
