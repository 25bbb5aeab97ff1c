#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/instances.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "app/surface_choice.h"
#include "app/walk_recording.h"
#include "app/window.h"
#include "import/elevation_import.h"
#include "platform/platform.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

// The program's entry owns the whole run: command line, question, window,
// start-up, main loop and teardown.
int main(int argc, char** argv)
{
    const CommandLine line = parseCommandLine(argc, argv);
    switch (line.action) {
    case CommandAction::Help:
        printViewerHelp(stdout);
        return 0;
    case CommandAction::Version:
        std::printf("lumora %s\n", LUMORA_VERSION);
        return 0;
    case CommandAction::Usage:
        std::fprintf(stderr, "lumora: cannot use %s%s%s%s%s%s; %s\n", line.problem, line.problemValue ? " " : "",
                     line.problemValue ? line.problemValue : "", line.problemRange ? " (" : "",
                     line.problemRange ? line.problemRange : "", line.problemRange ? ")" : "", kViewerUsage);
        return 2;
    case CommandAction::Run:
        break;
    }
    std::error_code error;
    shell.startFolder = fs::current_path(error).string();
    // Anything but a folder is taken for an elevation model to import.
    std::string folder = line.path ? line.path : "";
    if (line.import.any() && fs::is_directory(line.path, error)) {
        std::fprintf(stderr, "lumora: cannot use %s with a folder, only with a FILE to import; %s\n",
                     line.import.optionGiven(), kViewerUsage);
        return 2;
    }
    if (line.path && fs::exists(line.path, error) && !fs::is_directory(line.path, error)) {
        folder = importElevationModel(line.path, line.import, fs::read_symlink("/proc/self/exe", error)).string();
        if (folder.empty())
            return 1;
    }
    if (!enterDataFolder(line.path ? folder.c_str() : nullptr))
        return 1;

    if (!platform::initialise())
        return 1;
    // Only the question's No, or --windowed, runs in a window.
    shell.fullScreenDesktop = line.mode == StartMode::FullScreenDesktop;
    shell.fullScreen = line.mode == StartMode::Ask ? askForFullScreen() : line.mode == StartMode::FullScreen;
    if (!createMainWindow(shell, kWindowTitle, kClientWidth, kClientHeight)) {
        platform::terminate();
        return 1;
    }
    if (startUp(shell, drawing, world) == LoadOutcome::EndProcess)
        endProcessAtOnce(shell, drawing, world);
    drawing.surface.filter = line.renderFilter;
    drawing.terrainErrorPixels = line.terrainError;
    // A scale the renderer cannot draw at leaves the window's own size.
    if (!shell.queue.quitPosted) {
        const Report report = startRenderScale(drawing, shell.clientRect, line.renderScale);
        if (report.failed())
            std::fprintf(stderr, "lumora: %s; drawing at the window's own size\n",
                         report.text.c_str());
    }
    readPlaceReference(world);
    const int exitCode = runMainLoop(shell, drawing, world);
    finishWalkRecording(drawing.walk, shell.startFolder); // Escape or closing the window while F9 records
    shutDown(shell, drawing, world);
    platform::terminate();
    // The question's Yes ends as the box's quit says; asked for on the
    // command line, full screen that never came is a failure.
    if (line.mode == StartMode::FullScreen && shell.displayModeRefused) {
        std::fprintf(stderr, "lumora: --fullscreen: the display cannot switch to %d x %d\n", kClientWidth,
                     kClientHeight);
        return 1;
    }
    return exitCode;
}
