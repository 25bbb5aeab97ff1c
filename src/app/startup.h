#pragma once
// The program's start and end: the full-screen question, the one window and
// its rendering context, the start-up sequence that fills every subsystem in
// a fixed order, and the matching shutdown.
//
// No failure interrupts the start-up sequence: a failure shows its message box
// and either posts a quit request, which ends the main loop before the first
// frame, or (for a picture that a mesh or the flyers need) ends the process.

#include "app/shell.h"
#include "app/world.h"

#include <cstdint>

constexpr const char* kWindowTitle = "Veldra Engine";
constexpr int kClientWidth = 800;  // pixels, in both modes
constexpr int kClientHeight = 600;

// How the run mode is chosen: by the start-up question, or in advance from
// the command line, in which case no box is shown.
enum class StartMode : uint8_t { Ask, Windowed, FullScreen };

// The whole program: question, window, start-up, main loop. Returns the exit code.
int runProgram(Shell& shell, World& world, StartMode mode = StartMode::Ask);

bool createMainWindow(Shell& shell, const char* title, int width, int height);
void switchDisplayMode(Shell& shell);
bool choosePixelFormat();
void createRenderingContext(Shell& shell, int width, int height);
void startUp(Shell& shell, World& world);
void shutDown(Shell& shell);
