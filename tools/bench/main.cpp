// lumora-bench: the viewer's start-up and frames along a fixed camera path,
// and the renderer's limits in the same window. Each run is a fresh process
// (the benchmark starts itself again), so that start-up is measured from the
// process start.
#include "app/child_process.h"
#include "app/data_folder.h"
#include "app/frame.h"
#include "app/frame_surface.h"
#include "app/instances.h"
#include "app/main_loop.h"
#include "bench/camera_path.h"
#include "bench/figures.h"
#include "bench/heap_count.h"
#include "common/tool_options.h"
#include "common/viewer_session.h"
#include "platform/platform.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <system_error>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kDefaultSeconds = 30;
constexpr int kDefaultRuns = 3;
constexpr size_t kMaxRecordedFrames = 1 << 20; // frame times kept per run; a path this long is never run

struct Options {
    std::string folder;
    double seconds = kDefaultSeconds;
    int runs = kDefaultRuns;
    bool json = false;
    bool profile = false;
    int windowWidth = 0; // --window; 0: the viewer's 800 x 600
    int windowHeight = 0;
    bool fullScreenDesktop = false;
    const std::string* renderScale = nullptr; // --render-scale as given, or null
    RenderScaleChoice scale;
    const std::string* renderFilter = nullptr; // --render-filter as given, or null
    StretchFilter filter = kDefaultStretchFilter;
    bool isRun = false;   // this process is one run, started by the benchmark itself
    double spawnedAt = 0; // when the benchmark started this run (monotonicSeconds)
};

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: lumora-bench DIR [--seconds S] [--runs R] [--json] [--profile]\n"
                      "                   [--window WxH | --fullscreen-desktop] [--render-scale F|auto]\n"
                      "                   [--render-filter nearest|linear]\n"
                      "       lumora-bench --help | --version\n");
}

// Every option, in the order --help lists them. --run is how the benchmark
// starts each of its runs; not for users.
const std::vector<ToolOption>& benchOptions()
{
    static const std::vector<ToolOption> table = {
        {"--seconds", true, "S", formatText("seconds of path per run (default %.0f)", kDefaultSeconds)},
        {"--runs", true, "R", formatText("runs (default %d)", kDefaultRuns)},
        {"--run", true},
        {"--json", false, nullptr, "print the figures of every run and the medians as JSON"},
        {"--profile", false, nullptr,
         "after the path, walk on with glFinish between the passes and\n"
         "report the milliseconds of each pass"},
        {"--window", true, "WxH",
         "resize the window to a client area of W x H before the path, as a\n"
         "user would (1920x1061: maximised on a 1920 x 1080 desktop);\n"
         "the display must be at least that large"},
        {"--fullscreen-desktop", false, nullptr, "run full screen at the desktop's own size, as the viewer's option"},
        {"--render-scale", true, "F|auto",
         "the viewer's render scale; the scale at the end of the path is a\n"
         "figure of its own, and so is the window's size with these options"},
        {"--render-filter", true, "nearest|linear",
         "the viewer's stretch of a scene below scale 1 (default nearest)"},
    };
    return table;
}

void printHelp()
{
    printUsage(stdout);
    std::printf("\n"
                "Runs the viewer's own start-up on the data in DIR in an 800 x 600 window (as if\n"
                "the start-up question had been answered No), then its frames along a fixed path:\n"
                "from (500, ground + 5.5, 500) looking along +x, walking 12 units per second while\n"
                "turning 6 degrees per second (a circle of radius about 114.6, one turn a minute),\n"
                "with the real frame clock. Between half-second blocks of the path, in the same\n"
                "window, the renderer's limits: clear + swap; clear + one full-screen quad with the\n"
                "terrain's two texture units + swap; that quad + the terrain's display list + swap.\n"
                "Every run is a fresh process; the figures are medians over the runs.\n"
                "\n");
    printToolOptions(benchOptions(), {.indent = 2, .column = 16});
    std::printf("\n"
                "Heap allocations count operator new and malloc, calloc and realloc called from\n"
                "the viewer's code after the first frame; start-up runs without the count. Turn\n"
                "vertical sync off for timing (vblank_mode=0); without a display, run it on a\n"
                "virtual one:\n"
                "  xvfb-run -a -s \"-screen 0 1024x768x24\" lumora-bench DIR\n");
}

bool parseOptions(const ToolCommandLine& line, Options& options)
{
    double value = 0;
    const std::string* seconds = line.value("--seconds");
    const std::string* runs = line.value("--runs");
    const std::string* run = line.value("--run");
    if (seconds && !(parseNumberText(*seconds, value) && value > 0)) {
        std::fprintf(stderr, "lumora-bench: --seconds needs a number above 0\n");
        return false;
    }
    options.seconds = seconds ? value : options.seconds;
    if (runs &&
        !(parseNumberText(*runs, value) && value >= 1 && value <= 100000 && value == static_cast<int>(value))) {
        std::fprintf(stderr, "lumora-bench: --runs needs a whole number of at least 1\n");
        return false;
    }
    options.runs = runs ? static_cast<int>(value) : options.runs;
    if (run && !parseNumberText(*run, options.spawnedAt)) {
        std::fprintf(stderr, "lumora-bench: cannot use --run %s\n", run->c_str());
        return false;
    }
    options.isRun = run != nullptr;
    const std::string* window = line.value("--window");
    if (window && !parsePictureSize(*window, options.windowWidth, options.windowHeight)) {
        std::fprintf(stderr, "lumora-bench: --window needs WIDTHxHEIGHT, each a whole number of at least 1\n");
        return false;
    }
    options.fullScreenDesktop = line.has("--fullscreen-desktop");
    if (window && options.fullScreenDesktop) {
        std::fprintf(stderr, "lumora-bench: --window or --fullscreen-desktop, not both\n");
        return false;
    }
    options.renderScale = line.value("--render-scale");
    if (options.renderScale && !parseRenderScale(options.renderScale->c_str(), options.scale)) {
        std::fprintf(stderr, "lumora-bench: --render-scale needs auto or a number from 0.25 to 1\n");
        return false;
    }
    options.renderFilter = line.value("--render-filter");
    if (options.renderFilter && !parseStretchFilter(options.renderFilter->c_str(), options.filter)) {
        std::fprintf(stderr, "lumora-bench: --render-filter needs nearest or linear\n");
        return false;
    }
    options.json = line.has("--json");
    options.profile = line.has("--profile");
    if (line.positional.size() != 1) {
        if (line.positional.size() > 1)
            std::fprintf(stderr, "lumora-bench: only one DIR, please\n");
        printUsage(stderr);
        return false;
    }
    options.folder = line.positional[0];
    return true;
}

enum class Phase { Path, Profile };

// The path runs in blocks; after each, every limit is drawn for a slice of
// time. Other work on the machine then weighs on the path and on the limits
// alike, and their ratio holds still.
constexpr double kPathBlockSeconds = 0.5;
constexpr double kLimitSliceSeconds = 0.1;
constexpr int kLimitCount = 3; // clear + swap; + the quad; + the quad and the terrain list

constexpr int kPassCount = static_cast<int>(FramePass::Swap) + 1;
constexpr const char* kPassKeys[kPassCount] = {
    "pass_view_ms",  "pass_terrain_ms", "pass_sky_box_ms", "pass_origin_palm_ms", "pass_palms_ms",
    "pass_grass_ms", "pass_flyers_ms",  "pass_overlay_ms", "pass_swap_ms",
};

struct LimitTally {
    long frames = 0;
    double seconds = 0;
    double fps() const { return seconds > 0 ? static_cast<double>(frames) / seconds : 0; }
};

// The walk along the path: frames, their times, heap and resident memory.
struct PathRecord {
    CameraPath path;
    long frames = 0; // every frame drawn, the first and the profile's included
    double firstSwapAt = 0;
    double blockStart = 0;
    bool resuming = false; // the first frame after the limit slices: its delta holds them
    float lastDelta = 0;   // the delta of the last frame of the path proper
    double seconds = 0;    // inside the blocks
    long pathFrames = 0;
    bool done = false;
    uint64_t allocations = 0; // counted from the end of the first frame
    long residentAtStartKb = 0;
    long residentAtEndKb = 0;
    float scaleAtEnd = 1; // the render scale
    int windowWidth = 0;  // the client area at the end
    int windowHeight = 0;
    std::vector<float> frameSeconds;
};

// The renderer's limits, measured in slices between the path's blocks.
struct LimitRecord {
    Camera startPose; // the terrain limit looks from here
    bool warm = false;
    LimitTally tallies[kLimitCount];
};

// The time per pass, after the path, with glFinish between passes.
struct ProfileRecord {
    double start = 0;
    long frames = 0;
    double passStart = 0;
    double passSeconds[kPassCount] = {};
};

// One run's record: the hooks' context.
struct BenchRun {
    Options options;
    Phase phase = Phase::Path;
    PathRecord walk;
    LimitRecord limits;
    ProfileRecord profile;
};

long residentKb()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void timePass(void* context, FramePass finished)
{
    BenchRun& run = *static_cast<BenchRun*>(context);
    glFinish();
    const double now = monotonicSeconds();
    run.profile.passSeconds[static_cast<int>(finished)] += now - run.profile.passStart;
    run.profile.passStart = now;
}

// The fill the terrain costs at most: one quad over the whole window with
// both of the terrain's textures, combined as the terrain list combines them.
void drawTwoUnitQuad(const World& world)
{
    const ExtensionEntryPoints& gl = world.extensions;
    glDisable(GL_DEPTH_TEST); // the terrain drawn after it must not be hidden early by its depth
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    bindTerrainTextures(world.terrain, gl);
    glColor3f(1, 1, 1);
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (const auto& c : corners) {
        gl.glMultiTexCoord2fARB(GL_TEXTURE0_ARB, c[0], -c[1]);
        gl.glMultiTexCoord2fARB(GL_TEXTURE1_ARB, c[0], -c[1]);
        glVertex2f(c[0], c[1]);
    }
    glEnd();
    releaseTerrainTextures(gl);

    glEnable(GL_TEXTURE_2D); // as every pass expects to find it
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
}

void drawLimit(int limit, const BenchRun& run, const World& world)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (limit >= 1)
        drawTwoUnitQuad(world);
    if (limit >= 2) {
        glLoadIdentity();
        run.limits.startPose.applyView();
        drawTerrain(world);
        glEnable(GL_TEXTURE_2D);
    }
    platform::swapBuffers();
}

// One slice of each limit. The first time, a few frames go first: the
// software renderer builds its code for a new combination of state on first use.
void measureLimitSlices(BenchRun& run, const World& world)
{
    const bool multitexture = world.extensions.glActiveTextureARB && world.extensions.glMultiTexCoord2fARB;
    const int count = multitexture ? kLimitCount : 1;
    for (int limit = 0; limit < count; ++limit) {
        constexpr int kWarmUpFrames = 5;
        for (int i = 0; !run.limits.warm && i < kWarmUpFrames; ++i)
            drawLimit(limit, run, world);
        glFinish();
        const double start = monotonicSeconds();
        double now = start;
        while (now - start < kLimitSliceSeconds) {
            drawLimit(limit, run, world);
            ++run.limits.tallies[limit].frames;
            now = monotonicSeconds();
        }
        run.limits.tallies[limit].seconds += now - start;
    }
    run.limits.warm = true;
    glLoadIdentity();
}

void endPath(BenchRun& run, const Shell& shell)
{
    run.walk.done = true;
    run.walk.scaleAtEnd = shell.surface.scale;
    run.walk.windowWidth = shell.clientRect.right;
    run.walk.windowHeight = shell.clientRect.bottom;
    run.walk.allocations = heapAllocationCount();
    run.walk.residentAtEndKb = residentKb();
}

void followPath(void* context, Shell&, Camera& camera, float frameDelta)
{
    stepCameraPath(static_cast<BenchRun*>(context)->walk.path, camera, frameDelta);
}

void benchTurn(const FrameHooks& hooks, Shell& shell, World& world)
{
    BenchRun& run = *static_cast<BenchRun*>(hooks.context);
    // The camera walks the path with the delta of the previous turn. Right
    // after the limit slices, it walks as far as the frame before, so that the
    // path goes on as if they had not been.
    const float frameDelta = run.walk.resuming ? run.walk.lastDelta : shell.frameClock.delta;
    FrameHooks frameHooks = hooks;
    if (run.phase == Phase::Profile) {
        frameHooks.passDone = timePass;
        glFinish();
        run.profile.passStart = monotonicSeconds();
    }
    renderFrame(shell, world, frameDelta, frameHooks);
    const double now = monotonicSeconds();
    if (++run.walk.frames == 1) {
        run.walk.firstSwapAt = now;
        run.walk.blockStart = now;
        run.limits.startPose = world.camera;
        run.walk.residentAtStartKb = residentKb();
        startHeapCount();
        return;
    }
    if (run.phase == Phase::Profile) {
        ++run.profile.frames;
        if (now - run.profile.start >= std::clamp(run.options.seconds / 4, 0.5, 5.0))
            shell.queue.postQuit(0);
        return;
    }
    if (run.walk.resuming) {
        run.walk.resuming = false;
        run.walk.blockStart = now;
        return;
    }
    ++run.walk.pathFrames;
    run.walk.lastDelta = shell.frameClock.delta;
    if (run.walk.frameSeconds.size() < run.walk.frameSeconds.capacity())
        run.walk.frameSeconds.push_back(run.walk.lastDelta);
    if (now - run.walk.blockStart < kPathBlockSeconds)
        return;
    run.walk.seconds += now - run.walk.blockStart;
    if (run.walk.seconds >= run.options.seconds) {
        endPath(run, shell);
        if (!run.options.profile) {
            shell.queue.postQuit(0);
            return;
        }
        run.phase = Phase::Profile;
        run.profile.start = now;
        return;
    }
    measureLimitSlices(run, world);
    run.walk.resuming = true;
}

RunFigures runFigures(const BenchRun& run)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double fps = run.walk.seconds > 0 ? static_cast<double>(run.walk.pathFrames) / run.walk.seconds : 0;
    const double limit = run.limits.tallies[2].fps();
    const double frames = static_cast<double>(std::max(run.walk.pathFrames, 1L));
    RunFigures figures = {
        {"startup_ms", (run.walk.firstSwapAt - run.options.spawnedAt) * 1000},
        {"startup_after_question_ms", (run.walk.firstSwapAt - questionAnsweredAt()) * 1000},
        {"fps", fps},
        {"frame_p50_ms", percentile(run.walk.frameSeconds, 0.5) * 1000},
        {"frame_p99_ms", percentile(run.walk.frameSeconds, 0.99) * 1000},
        {"allocations_per_frame", static_cast<double>(run.walk.allocations) / frames},
        {"peak_rss_mb", static_cast<double>(usage.ru_maxrss) / 1024},
        {"rss_growth_kb", static_cast<double>(run.walk.residentAtEndKb - run.walk.residentAtStartKb)},
        {"limit_clear_swap_fps", run.limits.tallies[0].fps()},
        {"limit_quad_fps", run.limits.tallies[1].fps()},
        {"limit_quad_terrain_fps", limit},
        {"share_of_limit_percent", limit > 0 ? fps / limit * 100 : 0},
    };
    // Only with the options that change them, so the default figures stay as they were.
    if (run.options.windowWidth > 0 || run.options.fullScreenDesktop || run.options.renderScale) {
        figures.push_back({"window_width_px", static_cast<double>(run.walk.windowWidth)});
        figures.push_back({"window_height_px", static_cast<double>(run.walk.windowHeight)});
        figures.push_back({"render_scale", run.walk.scaleAtEnd});
    }
    if (run.options.profile && run.profile.frames > 0)
        for (int pass = 0; pass < kPassCount; ++pass)
            figures.push_back({kPassKeys[pass],
                               run.profile.passSeconds[pass] / static_cast<double>(run.profile.frames + 1) * 1000});
    return figures;
}

// The window's size and the render scale that the options ask for, before
// the path; the window's messages handled as the main loop handles them.
// Returns why it cannot be done, or nothing.
std::string setUpWindow(Shell& shell, const Options& options)
{
    if (options.windowWidth > 0) {
        constexpr double kResizeWaitSeconds = 5;
        platform::resizeWindow(options.windowWidth, options.windowHeight);
        const double until = monotonicSeconds() + kResizeWaitSeconds;
        Message message{};
        while (shell.clientRect.right != options.windowWidth || shell.clientRect.bottom != options.windowHeight) {
            if (monotonicSeconds() > until)
                return "the window did not take the size asked for (is the display large enough?)";
            if (!shell.queue.take(message, shell.keys)) {
                const timespec pause{0, 5'000'000};
                nanosleep(&pause, nullptr);
                continue;
            }
            if (message.kind == MessageKind::Quit)
                return "the window was closed before the path began";
            windowProcedure(shell, message);
            applyDisplayRequests(shell);
        }
    }
    shell.surface.filter = options.filter;
    if (options.renderScale)
        return describeTargetReport(startRenderScale(shell, options.scale));
    return "";
}

int runOnce(const Options& options)
{
    BenchRun run;
    run.options = options;
    // The viewer reads its files from the working directory.
    if (const char* failure = enterFolder(options.folder.c_str())) {
        std::fprintf(stderr, "lumora-bench: cannot enter %s: %s\n", options.folder.c_str(), failure);
        return 1;
    }
    run.walk.frameSeconds.reserve(kMaxRecordedFrames);
    if (!startViewerWindowed(shell, world, "lumora-bench",
                             options.fullScreenDesktop ? StartMode::FullScreenDesktop : StartMode::Windowed))
        return 1;
    if (const std::string failure = setUpWindow(shell, options); !failure.empty()) {
        std::fprintf(stderr, "lumora-bench: %s\n", failure.c_str());
        finishViewerSession(shell, world);
        return 1;
    }
    // Held W: the walking bob runs as on a real walk.
    shell.keys.state['W'] = KeyStateTable::kHeld;
    startCameraPath(run.walk.path, world.camera, world.camera.position.y);
    runMainLoop(shell, world, {.context = &run, .idleTurn = benchTurn, .moveCamera = followPath});
    finishViewerSession(shell, world);
    if (!run.walk.done) {
        std::fprintf(stderr, "lumora-bench: the window was closed before the path ended\n");
        return 1;
    }
    std::printf("%s\n", formatRunLine(runFigures(run)).c_str());
    return 0;
}

// Starts this program again as one run; returns its figures, or false. What
// the run writes on standard error is passed on once it has ended.
bool spawnRun(const Options& options, RunFigures& figures)
{
    char seconds[64];
    std::snprintf(seconds, sizeof seconds, "%.6f", options.seconds);
    std::vector<std::string> arguments = {"lumora-bench", "--run", "", options.folder, "--seconds", seconds};
    if (options.profile)
        arguments.push_back("--profile");
    if (options.windowWidth > 0)
        arguments.insert(arguments.end(), {"--window", std::to_string(options.windowWidth) + "x" +
                                                           std::to_string(options.windowHeight)});
    if (options.fullScreenDesktop)
        arguments.push_back("--fullscreen-desktop");
    if (options.renderScale)
        arguments.insert(arguments.end(), {"--render-scale", *options.renderScale});
    if (options.renderFilter)
        arguments.insert(arguments.end(), {"--render-filter", *options.renderFilter});
    char spawnedAt[64];
    std::snprintf(spawnedAt, sizeof spawnedAt, "%.9f", monotonicSeconds());
    arguments[2] = spawnedAt;
    const ChildOutcome outcome = runChildProcess("/proc/self/exe", arguments, [] {});
    std::fputs(outcome.error.c_str(), stderr);
    if (outcome.exitStatus != 0)
        return false;

    size_t start = 0;
    while (start < outcome.output.size()) {
        const size_t end = std::min(outcome.output.find('\n', start), outcome.output.size());
        if (parseRunLine(outcome.output.substr(start, end - start), figures))
            return true;
        start = end + 1;
    }
    return false;
}

int runAll(const Options& options)
{
    std::vector<RunFigures> runs;
    for (int i = 1; i <= options.runs; ++i) {
        RunFigures figures;
        if (!spawnRun(options, figures)) {
            std::fprintf(stderr, "lumora-bench: run %d of %d failed\n", i, options.runs);
            return 1;
        }
        const double fps = figures.size() > 2 ? figures[2].value : 0;
        std::fprintf(stderr, "lumora-bench: run %d of %d: %.1f frames per second along the path\n", i, options.runs,
                     fps);
        runs.push_back(figures);
    }
    const RunFigures medians = medianFigures(runs);
    const std::string text = options.json ? formatJson(medians, runs, options.seconds)
                                          : formatTable(medians, options.runs, options.seconds);
    std::fputs(text.c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const ToolCommandLine line = parseToolCommandLine(argc, argv, benchOptions());
    if (const int status = answerToolCommandLine(line, "lumora-bench", printHelp, printUsage); status != kToolRuns)
        return status;
    Options options;
    if (!parseOptions(line, options))
        return 2;
    return options.isRun ? runOnce(options) : runAll(options);
}
