// lumora-render: a recorded walk drawn again offline, through the viewer's own
// start-up and frame phases, at a size and frame rate of its own, into an
// H.264 video or a folder of PNG frames.
#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/frame.h"
#include "app/instances.h"
#include "app/surface_choice.h"
#include "assets/file_bytes.h"
#include "common/sandbox.h"
#include "common/tool_options.h"
#include "common/viewer_session.h"
#include "formats/walk_format.h"
#include "render/frame_output.h"
#include "view/walk_path.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDefaultWidth = 1920;
constexpr int kDefaultHeight = 1080;
constexpr int kDefaultFps = 30;
constexpr int kMaxFps = 240;
// A day: times in a file written by hand may be anything, and the frame
// count must stay a count.
constexpr double kMaxWalkSeconds = 24 * 60 * 60;

struct Options {
    std::string folder;
    std::string walk;
    std::string out;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    int fps = kDefaultFps;
    bool overlay = true;
    float terrainError = kDefaultTerrainError; // pixels
};

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: lumora-render DIR WALK OUT [--size WxH] [--fps N] [--no-overlay]\n"
                      "                    [--terrain-error PX]\n"
                      "       lumora-render --help | --version\n");
}

// Every option, in the order --help lists them.
const std::vector<ToolOption>& options()
{
    static const std::vector<ToolOption> table = {
        {"--size", true, "WxH",
         formatText("the frame's size in pixels (default %dx%d; even for a video)", kDefaultWidth, kDefaultHeight)},
        {"--fps", true, "N", formatText("frames per second, 1 to %d (default %d)", kMaxFps, kDefaultFps)},
        {"--no-overlay", false, nullptr, "leave out the compass, the clock and the captions"},
        {"--terrain-error", true, "PX", terrainErrorHelp()},
    };
    return table;
}

void printHelp()
{
    printUsage(stdout);
    std::printf("\n"
                "Draws the walk that F9 recorded in the viewer (a .walk file) again, on the data\n"
                "in DIR, through the viewer's own start-up and frames, and writes it to OUT:\n"
                "OUT.mp4 becomes an H.264 video (MP4, yuv420p); a folder gets numbered PNG\n"
                "frames, frame-000001.png on. The camera follows the walk's poses, smoothly\n"
                "between them, at the video's own frame times; the flyers and the clock run\n"
                "with a frame delta of 1/N seconds. The video lasts as long as the walk, and\n"
                "the same walk and data give the same frames.\n"
                "\n");
    printToolOptions(options(), {.indent = 2, .column = 17});
    std::printf("\n"
                "OUT is written under a temporary name and renamed when complete: a render that\n"
                "fails or is stopped (Ctrl+C: status 130; a hang-up: 129) leaves nothing under\n"
                "OUT's name.\n"
                "Without a display, run it on a virtual one, of any size:\n"
                "  xvfb-run -a -s \"-screen 0 1024x768x24\" lumora-render DIR walk.walk out.mp4\n");
}

// Returns false, having said why, for a command line it cannot use.
bool parseOptions(const ToolCommandLine& line, Options& options)
{
    if (const std::string* size = line.value("--size");
        size && !parsePictureSize(*size, options.width, options.height)) {
        std::fprintf(stderr, "lumora-render: --size needs WxH, two whole numbers of at least 1\n");
        return false;
    }
    if (const std::string* fps = line.value("--fps");
        fps && !(parseNumberText(*fps, options.fps) && options.fps >= 1 && options.fps <= kMaxFps)) {
        std::fprintf(stderr, "lumora-render: --fps needs a whole number from 1 to %d\n", kMaxFps);
        return false;
    }
    if (const std::string* error = line.value("--terrain-error");
        error && !parseTerrainError(error->c_str(), options.terrainError)) {
        std::fprintf(stderr, "lumora-render: --terrain-error needs %s\n", kTerrainErrorRange);
        return false;
    }
    options.overlay = !line.has("--no-overlay");
    if (line.positional.size() != 3) {
        printUsage(stderr);
        return false;
    }
    // Both are named from where the tool was started; the viewer then enters DIR.
    options.folder = line.positional[0];
    options.walk = line.positional[1];
    std::filesystem::path out = std::filesystem::absolute(line.positional[2]).lexically_normal();
    options.out = (out.has_filename() ? out : out.parent_path()).string(); // "frames/" is the folder "frames"
    return true;
}

// A reason from the system or FFmpeg in the tools' own style: "no such file
// or directory".
std::string plain(std::string reason)
{
    if (!reason.empty())
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return reason;
}

// Reads the walk, or reports what is wrong with it, and where.
Report readWalk(const std::string& path, std::vector<WalkFrame>& walk)
{
    std::vector<uint8_t> bytes;
    errno = 0;
    Report problem{Failure::Read, path, 0, {}};
    switch (readRegularFile(path.c_str(), kWalkFileMostBytes, bytes)) {
    case FileRead::Read:
        break;
    case FileRead::NotRegular:
        problem.text = "is not a regular file (a folder, pipe, device or socket)";
        return problem;
    case FileRead::TooLarge:
        problem.text = "is larger than the longest walk the viewer records (" + std::to_string(kWalkFrameCapacity) +
                       " frames, at most " + std::to_string(kWalkFileMostBytes) + " bytes)";
        return problem;
    case FileRead::CannotOpen:
    case FileRead::ReadFailed:
        problem.text = "cannot be read: " + plain(std::strerror(errno != 0 ? errno : EIO));
        return problem;
    }
    if (parseWalk(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), walk, problem))
        return {};
    problem.file = path;
    return problem;
}

volatile std::sig_atomic_t stopSignal = 0;

void askToStop(int signal) { stopSignal = signal; }

// Ctrl+C, a polite kill and a closed terminal end the render between two
// frames, so the partial output can be removed. A file-size limit fails a write, which is
// reported like a full disk, instead of ending the process.
void catchStopSignals()
{
    struct sigaction action = {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

// "frame 120 of 900, 8.4 frames/s, 1:32 left", rewritten in place.
void showProgress(int done, int total, double seconds)
{
    const double rate = seconds > 0 ? done / seconds : 0;
    const long left = rate > 0 ? std::lround((total - done) / rate) : 0;
    std::fprintf(stderr, "\rlumora-render: frame %d of %d, %.1f frames/s, %ld:%02ld left  ", done, total, rate,
                 left / 60, left % 60);
}

// The render's own record, handed to the frame's probe.
struct WalkRender {
    std::span<const WalkFrame> walk;
    const FrameSurface* surface = nullptr;
    FramePipe* pipe = nullptr;
};

void handOverFinishedFrame(void* context, FramePass finished)
{
    if (finished != FramePass::Overlay)
        return;
    WalkRender& render = *static_cast<WalkRender*>(context);
    readBackTarget(render.surface->target, render.pipe->nextSlot());
    render.pipe->submit();
}

// Takes the window's messages; true once it was closed. Keys, clicks and
// resizes change nothing: the walk decides every frame.
bool windowClosed(Shell& shell)
{
    Message message{};
    bool closed = false;
    while (shell.queue.take(message, shell.keys))
        closed = closed || message.kind == MessageKind::Close || message.kind == MessageKind::Quit;
    return closed;
}

enum class Ending : uint8_t { Complete, Stopped, WindowClosed, WriteFailed };

// Draws every frame of the video through the viewer's frame phases into the
// pipe, which writes them meanwhile.
Ending drawFrames(const Options& options, WalkRender& render, int frameCount, FramePipe& pipe, double started)
{
    const FrameHooks hooks{.context = &render, .passDone = handOverFinishedFrame};
    const OverlayShown overlay = options.overlay ? OverlayShown::Drawn : OverlayShown::LeftOut;
    // The flyers and the clock run by the video's own frame time.
    const float frameDelta = 1.0f / static_cast<float>(options.fps);
    const bool terminal = isatty(STDERR_FILENO) != 0;
    double shownAt = 0;
    for (int frame = 0; frame < frameCount; ++frame) {
        if (stopSignal != 0)
            return Ending::Stopped;
        if (windowClosed(shell))
            return Ending::WindowClosed;
        if (!pipe.writing())
            return Ending::WriteFailed;
        // The walk as it was drawn at this frame's time, between its frames.
        const WalkFrame pose = walkFrameAt(render.walk, static_cast<double>(frame) / options.fps);
        renderFrame(shell, drawing, world, replayedFrameInput(pose, frameDelta, overlay), hooks);
        const double now = monotonicSeconds();
        if (terminal && (now - shownAt > 0.25 || frame + 1 == frameCount)) {
            showProgress(frame + 1, frameCount, now - started);
            shownAt = now;
        }
    }
    if (terminal)
        std::fputc('\n', stderr);
    return Ending::Complete;
}

// Starts the viewer on DIR, draws the walk offscreen and writes it. Returns
// the exit status, having said what went wrong; the caller discards the
// output unless it is 0.
int renderWalk(const Options& options, std::span<const WalkFrame> walk, int frameCount, FrameSink& sink)
{
    // The viewer reads its files from the working directory.
    if (const char* failure = enterFolder(options.folder.c_str())) {
        std::fprintf(stderr, "lumora-render: cannot enter %s: %s\n", options.folder.c_str(), failure);
        return 1;
    }
    // Once the window is open, before the renderer starts and the landscape is
    // read, the render locks itself: it reads DIR and writes OUT's folder.
    const auto lock = [&sink] {
        SandboxRules rules{systemReadFolders(SystemData::Drawing), {sink.folder()}};
        rules.readFolders.emplace_back(".");
        return enterToolSandbox("lumora-render", rules, "the render runs without network sockets");
    };
    if (!startViewerWindowed(shell, drawing, world, "lumora-render", StartMode::Windowed, lock))
        return 1;
    const Report target =
        moveFrameOffscreen(drawing, shell.clientRect, world.overlay, options.width, options.height);
    if (target.failed()) {
        std::fprintf(stderr, "lumora-render: %s\n", target.text.c_str());
        finishViewerSession(shell, drawing, world);
        return 1;
    }
    std::unique_ptr<FramePipe> pipe;
    try {
        pipe = std::make_unique<FramePipe>(sink, options.width, options.height);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "lumora-render: not enough memory for frames of %d x %d\n", options.width,
                     options.height);
        finishViewerSession(shell, drawing, world);
        return 1;
    }

    drawing.terrainErrorPixels = options.terrainError;
    WalkRender render{walk, &drawing.surface, pipe.get()};
    const double started = monotonicSeconds();
    const double cpuStarted = clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    Ending ending = drawFrames(options, render, frameCount, *pipe, started);
    finishViewerSession(shell, drawing, world);
    const bool drained = pipe->drain();
    if (ending == Ending::Complete && stopSignal != 0)
        ending = Ending::Stopped; // Ctrl+C after the last frame still leaves nothing
    const bool written = drained && (ending != Ending::Complete || sink.finish());
    const double seconds = monotonicSeconds() - started;
    const double cpuSeconds = clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStarted;
    if (ending == Ending::Stopped) {
        std::fprintf(stderr, "lumora-render: stopped; %s is not written\n", options.out.c_str());
        return 128 + stopSignal;
    }
    if (ending == Ending::WindowClosed) {
        std::fprintf(stderr, "lumora-render: the window was closed; %s is not written\n", options.out.c_str());
        return 1;
    }
    if (!written) {
        std::fprintf(stderr, "lumora-render: cannot write %s: %s\n", options.out.c_str(),
                     plain(sink.problem().text).c_str());
        return 1;
    }
    // The writer's share of the processor time of every thread: the drawing,
    // the software renderer's and the writer's own.
    std::printf("%s: %d frames of %d x %d at %d fps (%.1f s); %.1f frames drawn a second, writing them took %.0f %% "
                "of the processor time\n",
                options.out.c_str(), frameCount, options.width, options.height, options.fps,
                static_cast<double>(frameCount) / options.fps, frameCount / seconds,
                cpuSeconds > 0 ? 100 * pipe->writingSeconds() / cpuSeconds : 0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const ToolCommandLine line = parseToolCommandLine(argc, argv, options());
    if (const int status = answerToolCommandLine(line, "lumora-render", printHelp, printUsage); status != kToolRuns)
        return status;
    Options options;
    if (!parseOptions(line, options))
        return 2;
    std::vector<WalkFrame> walk;
    if (const Report problem = readWalk(options.walk, walk); problem.failed()) {
        std::fprintf(stderr, "lumora-render: %s\n", reportLine(problem).c_str());
        return 1;
    }
    const double seconds = walkSeconds(walk);
    if (seconds > kMaxWalkSeconds) {
        std::fprintf(stderr, "lumora-render: %s: the walk lasts %.0f s; a render takes at most %.0f\n",
                     options.walk.c_str(), seconds, kMaxWalkSeconds);
        return 1;
    }
    // The video lasts as long as the walk: frame k shows the walk at k / fps.
    const int frameCount = std::max(1, static_cast<int>(std::lround(seconds * options.fps)));

    catchStopSignals();
    Report problem;
    const std::unique_ptr<FrameSink> sink =
        openFrameSink(options.out, options.width, options.height, options.fps, problem);
    if (!sink) {
        std::fprintf(stderr, "lumora-render: cannot write %s: %s\n", options.out.c_str(),
                     plain(problem.text).c_str());
        return 1;
    }
    const int status = renderWalk(options, walk, frameCount, *sink);
    if (status != 0)
        sink->discard();
    return status;
}
