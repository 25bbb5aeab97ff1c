#pragma once
// The viewer's command line: lumora [--windowed | --fullscreen] [DIR | FILE],
// FILE optionally with --image, --track and --plants for its import, or
// --help, or --version. Parsing only reads the arguments; main acts on the
// result, and tells a data folder from an elevation model to import (the
// import's options with a folder are a usage error there). With no arguments
// the viewer asks its start-up question and reads the working directory, as
// it always has.

#include "app/elevation_import.h"
#include "app/window.h"

#include <cstdint>
#include <cstdio>

enum class CommandAction : uint8_t { Run, Help, Version, Usage };

struct CommandLine {
    CommandAction action = CommandAction::Run;
    StartMode mode = StartMode::Ask;
    const char* path = nullptr;    // DIR or FILE, or null for the working directory
    const char* problem = nullptr; // for Usage: the argument that cannot be used
    ImportChoices import;          // for a FILE only
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// "usage: lumora [--windowed | --fullscreen] [DIR | FILE]"
extern const char* const kViewerUsage;
void printViewerHelp(std::FILE* out);
