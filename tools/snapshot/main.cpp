// lumora-snapshot: runs the viewer's start-up and frames, in the window at its
// own size or offscreen at any size the renderer can make, and writes the
// last frame as a PNG.
#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/frame.h"
#include "app/frame_input.h"
#include "app/instances.h"
#include "app/main_loop.h"
#include "app/surface_choice.h"
#include "app/window.h"
#include "common/tool_options.h"
#include "common/viewer_session.h"
#include "surface/png_file.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kDefaultFrames = 60; // about a second at the software renderer's rate: the flyers have moved

struct Options {
    std::string folder;
    std::string output;
    bool placed = false;
    Vector3 eye{};
    Vector3 look{};
    int frames = kDefaultFrames;
    int width = kClientWidth; // the picture, in pixels
    int height = kClientHeight;
    bool wireframe = false;
    bool zoom = false;
    float terrainError = kDefaultTerrainError; // pixels
};

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: lumora-snapshot DIR OUT.png [--eye X,Y,Z --look X,Y,Z] [--frames N] [--size WxH]\n"
                      "                      [--wireframe] [--zoom] [--terrain-error PX]\n"
                      "       lumora-snapshot --help | --version\n");
}

// Every option, in the order --help lists them.
const std::vector<ToolOption>& options()
{
    static const std::vector<ToolOption> table = {
        {"--eye", true, "X,Y,Z", "place the eye here instead of the start-up placement"},
        {"--look", true, "X,Y,Z",
         "the point the eye looks at (needed with --eye); ground\n"
         "following still applies, so a low eye stands on the ground"},
        {"--frames", true, "N", formatText("frames to draw, N >= 1 (default %d)", kDefaultFrames)},
        {"--size", true, "WxH",
         "the picture's size in pixels, up to the renderer's limit\n"
         "(default 800x600); the view's aspect and the overlay follow it"},
        {"--wireframe", false, nullptr, "the Space key's outline drawing"},
        {"--zoom", false, nullptr, "the right button's zoomed view"},
        {"--terrain-error", true, "PX", terrainErrorHelp()},
    };
    return table;
}

void printHelp()
{
    printUsage(stdout);
    std::printf("\n"
                "Runs the viewer's own start-up on the data in DIR in an 800 x 600 window on the\n"
                "current display (as if the start-up question had been answered No), draws N\n"
                "frames with the viewer's frame code, and writes the last one to OUT.png. A\n"
                "size other than the window's is drawn offscreen, so it may be larger than the\n"
                "display. Messages the viewer would show are written to standard error instead.\n"
                "\n");
    printToolOptions(options(), {.indent = 2, .column = 17});
    std::printf("\n"
                "Without a display, run it on a virtual one:\n"
                "  xvfb-run -a -s \"-screen 0 1024x768x24\" lumora-snapshot DIR OUT.png\n");
}

bool parsePoint(std::string_view text, Vector3& point)
{
    float* parts[3] = {&point.x, &point.y, &point.z};
    for (int i = 0; i < 3; ++i) {
        const size_t comma = text.find(',');
        if ((i < 2) != (comma != std::string_view::npos))
            return false;
        if (!parseNumberText(text.substr(0, comma), *parts[i]))
            return false;
        text = i < 2 ? text.substr(comma + 1) : std::string_view{};
    }
    return true;
}

// Returns false, having said why, for a command line it cannot use.
bool parseOptions(const ToolCommandLine& line, Options& options)
{
    const std::string* eye = line.value("--eye");
    const std::string* look = line.value("--look");
    const std::string* frames = line.value("--frames");
    const std::string* size = line.value("--size");
    if ((eye && !parsePoint(*eye, options.eye)) || (look && !parsePoint(*look, options.look))) {
        std::fprintf(stderr, "lumora-snapshot: a point is three numbers X,Y,Z\n");
        return false;
    }
    if (frames) {
        if (!parseNumberText(*frames, options.frames) || options.frames < 1) {
            std::fprintf(stderr, "lumora-snapshot: --frames needs a whole number of at least 1\n");
            return false;
        }
    }
    if (size && !parsePictureSize(*size, options.width, options.height)) {
        std::fprintf(stderr, "lumora-snapshot: --size needs WIDTHxHEIGHT, each a whole number of at least 1\n");
        return false;
    }
    if (const std::string* error = line.value("--terrain-error");
        error && !parseTerrainError(error->c_str(), options.terrainError)) {
        std::fprintf(stderr, "lumora-snapshot: --terrain-error needs %s\n", kTerrainErrorRange);
        return false;
    }
    options.wireframe = line.has("--wireframe");
    options.zoom = line.has("--zoom");
    if (line.positional.size() != 2) {
        printUsage(stderr);
        return false;
    }
    if ((eye != nullptr) != (look != nullptr)) {
        std::fprintf(stderr, "lumora-snapshot: --eye and --look go together\n");
        return false;
    }
    if (eye && options.eye.x == options.look.x && options.eye.y == options.look.y &&
        options.eye.z == options.look.z) {
        std::fprintf(stderr, "lumora-snapshot: the eye cannot look at itself\n");
        return false;
    }
    options.folder = line.positional[0];
    options.output = std::filesystem::absolute(line.positional[1]).string();
    options.placed = eye != nullptr;
    return true;
}

// A frame's delta after the first two: the viewer's clock measures 0 at its
// first tick, and a frame walks with the delta of the one before, so its
// first two frames walk with 0.
constexpr float kFrameSeconds = 1.0f / 60;

// The snapshot's own record: its frames' input and the picture read back.
struct Capture {
    FrameInput input;
    const FrameSurface* surface = nullptr;
    int framesDrawn = 0;
    int frames = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // RGB, bottom row first
};

void readBackLastFrame(void* context, FramePass finished)
{
    Capture& capture = *static_cast<Capture*>(context);
    if (finished == FramePass::Overlay && capture.framesDrawn + 1 == capture.frames)
        readBackFrame(*capture.surface, capture.width, capture.height, capture.pixels.data());
}

// The eye stays at its pose, which ground following may lower onto the
// ground, frame after frame.
bool snapshotTurn(void* context, Shell& shell, Drawing& drawing, World& world)
{
    Capture& capture = *static_cast<Capture*>(context);
    if (capture.framesDrawn == capture.frames)
        return false;
    capture.input.frameDelta = capture.framesDrawn < 2 ? 0 : kFrameSeconds;
    renderFrame(shell, drawing, world, capture.input, {.context = &capture, .passDone = readBackLastFrame});
    ++capture.framesDrawn;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const ToolCommandLine line = parseToolCommandLine(argc, argv, options());
    if (const int status = answerToolCommandLine(line, "lumora-snapshot", printHelp, printUsage); status != kToolRuns)
        return status;
    Options options;
    if (!parseOptions(line, options))
        return 2;
    // The viewer reads its files from the working directory.
    if (const char* failure = enterFolder(options.folder.c_str())) {
        std::fprintf(stderr, "lumora-snapshot: cannot enter %s: %s\n", options.folder.c_str(), failure);
        return 1;
    }

    if (!startViewerWindowed(shell, drawing, world, "lumora-snapshot"))
        return 1;
    // The window's own size is drawn in the window, as the viewer draws it;
    // any other size offscreen, which may be larger than the display.
    Report target;
    if (options.width != shell.clientRect.right || options.height != shell.clientRect.bottom)
        target = moveFrameOffscreen(drawing, shell.clientRect, world.overlay, options.width, options.height);
    Capture capture;
    capture.surface = &drawing.surface;
    capture.frames = options.frames;
    capture.width = options.width;
    capture.height = options.height;
    bool held = !target.failed();
    if (held) {
        try {
            capture.pixels.assign(static_cast<size_t>(options.width) * static_cast<size_t>(options.height) * 3, 0);
        } catch (const std::bad_alloc&) {
            held = false;
        }
    }
    if (!held) {
        std::fprintf(stderr, "lumora-snapshot: %s\n",
                     !target.failed() ? "not enough memory to hold the picture" : target.text.c_str());
        finishViewerSession(shell, drawing, world);
        return 1;
    }
    // The pose asked for, else the start-up's; the drawing states as the
    // Space key and the right button set them.
    FrameInput& input = capture.input;
    input.camera = CameraControl::Placed;
    input.eye = options.placed ? options.eye : world.camera.position;
    input.lookAt = options.placed ? options.look : world.camera.viewPoint;
    input.wireframe = options.wireframe;
    input.zoomed = options.zoom;
    input.time = FrameTime::Offline;
    drawing.terrainErrorPixels = options.terrainError;

    runMainLoop(shell, drawing, world, snapshotTurn, &capture);
    finishViewerSession(shell, drawing, world);
    if (capture.framesDrawn < options.frames) {
        std::fprintf(stderr, "lumora-snapshot: the window was closed before frame %d\n", options.frames);
        return 1;
    }

    if (!writePngBottomRowFirst(options.output.c_str(), options.width, options.height, 3, capture.pixels.data())) {
        std::fprintf(stderr, "lumora-snapshot: cannot write %s\n", options.output.c_str());
        return 1;
    }
    std::printf("%s: %d x %d, frame %d\n", options.output.c_str(), options.width, options.height, options.frames);
    return 0;
}
