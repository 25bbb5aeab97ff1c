#pragma once
// The viewer's command line: lumora [--windowed | --fullscreen |
// --fullscreen-desktop] [--render-scale F|auto] [--render-filter
// nearest|linear] [--terrain-error PX] [DIR | FILE], or --help, or
// --version; a FILE optionally with --image, --track and --plants for its
// import. Parsing only reads the arguments; main acts on the result, and
// tells a data folder from an elevation model to import. With no arguments
// the viewer asks its start-up question, draws at the window's own size and
// reads the working directory, as it always has.

#include "app/window.h"
#include "import/elevation_import.h"
#include "surface/render_scale.h"
#include "terrain/ground_layout.h"

#include <cstdint>
#include <cstdio>

enum class CommandAction : uint8_t { Run, Help, Version, Usage };

struct CommandLine {
    CommandAction action = CommandAction::Run;
    StartMode mode = StartMode::Ask;
    RenderScaleChoice renderScale = {};
    StretchFilter renderFilter = kDefaultStretchFilter;
    float terrainError = kDefaultTerrainError; // pixels; a fine ground's only
    const char* path = nullptr;         // DIR or FILE, or null for the working directory
    const char* problem = nullptr;      // for Usage: the argument that cannot be used
    const char* problemValue = nullptr; // and its value, when the value is the problem
    const char* problemRange = nullptr; // and what the option takes, where that helps: "0.25 to 1, or auto"
    ImportChoices import = {};          // for a FILE only
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// --terrain-error's value, for the viewer and the tools: the most pixels a
// fine ground drawn by level of detail may lie from its full detail on the
// drawing surface, a finite number above 0. False for anything else.
constexpr const char* kTerrainErrorRange = "a number of pixels above 0";
bool parseTerrainError(const char* text, float& pixels);

// "usage: lumora [--windowed | ... ] [DIR | FILE]", one line
extern const char* const kViewerUsage;
void printViewerHelp(std::FILE* out);
