// lumora-render: a recorded walk drawn again offline, through the viewer's own
// start-up and frame phases, at a size and frame rate of its own, into an
// H.264 video or a folder of PNG frames.
#include "app/data_folder.h"
#include "app/instances.h"
#include "assets/file_bytes.h"
#include "common/tool_options.h"
#include "common/viewer_session.h"
#include "render/frame_sink.h"
#include "view/walk_format.h"
#include "view/walk_path.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDefaultWidth = 1920;
constexpr int kDefaultHeight = 1080;
constexpr int kDefaultFps = 30;
constexpr int kMaxFps = 240;
constexpr int kStatusInterrupted = 130; // 128 + SIGINT, as a shell reports Ctrl+C

struct Options {
    std::string folder;
    std::string walk;
    std::string out;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    int fps = kDefaultFps;
    bool overlay = true;
};

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: lumora-render DIR WALK OUT [--size WxH] [--fps N] [--no-overlay]\n"
                      "       lumora-render --help | --version\n");
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
                "\n"
                "  --size WxH     the frame's size in pixels (default %dx%d; even for a video)\n"
                "  --fps N        frames per second, 1 to %d (default %d)\n"
                "  --no-overlay   leave out the compass, the clock and the captions\n"
                "\n"
                "OUT is written under a temporary name and renamed when complete: a render that\n"
                "fails or is stopped with Ctrl+C (status 130) leaves nothing under OUT's name.\n"
                "Without a display, run it on a virtual one, of any size:\n"
                "  xvfb-run -a -s \"-screen 0 1024x768x24\" lumora-render DIR walk.walk out.mp4\n",
                kDefaultWidth, kDefaultHeight, kMaxFps, kDefaultFps);
}

bool parseWhole(std::string_view text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && last == end;
}

// Returns false, having said why, for a command line it cannot use.
bool parseOptions(const ToolCommandLine& line, Options& options)
{
    if (const std::string* size = line.value("--size")) {
        const size_t x = size->find('x');
        if (x == std::string::npos || !parseWhole(std::string_view(*size).substr(0, x), options.width) ||
            !parseWhole(std::string_view(*size).substr(x + 1), options.height) || options.width < 1 ||
            options.height < 1) {
            std::fprintf(stderr, "lumora-render: --size needs WxH, two whole numbers of at least 1\n");
            return false;
        }
    }
    if (const std::string* fps = line.value("--fps");
        fps && !(parseWhole(*fps, options.fps) && options.fps >= 1 && options.fps <= kMaxFps)) {
        std::fprintf(stderr, "lumora-render: --fps needs a whole number from 1 to %d\n", kMaxFps);
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
    options.out = std::filesystem::absolute(line.positional[2]).lexically_normal().string();
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

// Reads the walk, or says in one line what is wrong with it, and where.
bool readWalk(const std::string& path, std::vector<WalkFrame>& walk)
{
    std::vector<uint8_t> bytes;
    errno = 0;
    if (!readWholeFile(path.c_str(), bytes)) {
        std::fprintf(stderr, "lumora-render: %s: cannot be read: %s\n", path.c_str(),
                     plain(std::strerror(errno != 0 ? errno : EIO)).c_str());
        return false;
    }
    WalkProblem problem;
    if (!parseWalk(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), walk, problem)) {
        std::fprintf(stderr, "lumora-render: %s:%d: %s\n", path.c_str(), problem.line, problem.text.c_str());
        return false;
    }
    return true;
}

volatile std::sig_atomic_t stopSignal = 0;

void askToStop(int signal) { stopSignal = signal; }

// Ctrl+C and a polite kill end the render between two frames, so the
// partial output can be removed.
void catchStopSignals()
{
    struct sigaction action = {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// "frame 120 of 900, 8.4 frames/s, 1:32 left", rewritten in place.
void showProgress(int done, int total, double seconds)
{
    const double rate = seconds > 0 ? done / seconds : 0;
    const int left = rate > 0 ? static_cast<int>(std::lround((total - done) / rate)) : 0;
    std::fprintf(stderr, "\rlumora-render: frame %d of %d, %.1f frames/s, %d:%02d left  ", done, total, rate,
                 left / 60, left % 60);
}

} // namespace

int main(int argc, char** argv)
{
    const ToolCommandLine line =
        parseToolCommandLine(argc, argv, {{"--size", true}, {"--fps", true}, {"--no-overlay", false}});
    if (const int status = answerToolCommandLine(line, "lumora-render", printHelp, printUsage); status != kToolRuns)
        return status;
    Options options;
    if (!parseOptions(line, options))
        return 2;
    std::vector<WalkFrame> walk;
    if (!readWalk(options.walk, walk))
        return 1;
    const double seconds = walkSeconds(walk);
    // The video lasts as long as the walk: frame k shows the walk at k / fps.
    const int frameCount = std::max(1, static_cast<int>(std::lround(seconds * options.fps)));

    catchStopSignals();
    std::string problem;
    const std::unique_ptr<FrameSink> sink =
        openFrameSink(options.out, options.width, options.height, options.fps, problem);
    if (!sink) {
        std::fprintf(stderr, "lumora-render: cannot write %s: %s\n", options.out.c_str(), plain(problem).c_str());
        return 1;
    }
    // TODO: the viewer's start-up and frames into a render target
    (void)frameCount;
    (void)showProgress;
    sink->discard();
    return 1;
}
