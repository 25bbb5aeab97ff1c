#include "bench/path_run.h"

#include "app/data_folder.h"
#include "app/frame.h"
#include "app/instances.h"
#include "app/main_loop.h"
#include "app/surface_choice.h"
#include "bench/camera_path.h"
#include "bench/figures.h"
#include "bench/heap_count.h"
#include "bench/pass_profile.h"
#include "bench/renderer_limits.h"
#include "common/viewer_session.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kMaxRecordedFrames = 1 << 20; // frame times kept per run; a path this long is never run

// The path runs in blocks of this many seconds; the limits are drawn between them.
constexpr double kPathBlockSeconds = 0.5;

enum class Phase { Path, Profile };

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

// A fine ground's figures of each frame along the path, reserved before it
// as the frame times are; empty without a fine ground.
struct FineGroundRecord {
    std::vector<float> triangles;
    std::vector<float> largestError; // pixels
    std::vector<float> nodesResident;
    std::vector<float> textureMegabytes;

    void reserve(size_t frames)
    {
        for (std::vector<float>* figure : {&triangles, &largestError, &nodesResident, &textureMegabytes})
            figure->reserve(frames);
    }
    void record(const FineTerrainFigures& figures)
    {
        if (triangles.size() == triangles.capacity())
            return;
        triangles.push_back(static_cast<float>(figures.trianglesDrawn));
        largestError.push_back(figures.largestScreenError);
        nodesResident.push_back(static_cast<float>(figures.nodesResident));
        textureMegabytes.push_back(static_cast<float>(static_cast<double>(figures.textureBytes) / (1024.0 * 1024.0)));
    }
};

// One run's record: the idle turn's context.
struct BenchRun {
    BenchOptions options;
    Phase phase = Phase::Path;
    PathRecord walk;
    FineGroundRecord fine;
    LimitRecord limits;
    ProfileRecord profile;
    bool finished = false; // the path is walked, and the profile after it
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

void endPath(BenchRun& run, const FrameSurface& surface, const ClientRect& clientRect)
{
    run.walk.done = true;
    run.walk.scaleAtEnd = surface.scale;
    run.walk.windowWidth = clientRect.right;
    run.walk.windowHeight = clientRect.bottom;
    run.walk.allocations = heapAllocationCount();
    run.walk.residentAtEndKb = residentKb();
}

void followPath(void* context, Camera& camera, float frameDelta)
{
    stepCameraPath(static_cast<BenchRun*>(context)->walk.path, camera, frameDelta);
}

// The viewer's frames along the path, by the real frame clock; false once
// the path (and the profile after it) is done.
bool benchTurn(void* context, Shell& shell, Drawing& drawing, World& world)
{
    BenchRun& run = *static_cast<BenchRun*>(context);
    if (run.finished)
        return false;
    // The camera walks the path with the delta of the previous turn. Right
    // after the limit slices, it walks as far as the frame before, so that the
    // path goes on as if they had not been. It walks as with W held, so the
    // walking bob runs as on a real walk.
    FrameInput input;
    input.camera = CameraControl::Moved;
    input.move = followPath;
    input.moveContext = &run;
    input.frameDelta = run.walk.resuming ? run.walk.lastDelta : shell.frameClock.delta;
    input.walkKeysHeld = 1;
    FrameHooks hooks;
    if (run.phase == Phase::Profile) {
        hooks = {.context = &run.profile, .passDone = timePass};
        startPassTimes(run.profile);
    }
    renderFrame(shell, drawing, world, input, hooks);
    const double now = monotonicSeconds();
    if (++run.walk.frames == 1) {
        run.walk.firstSwapAt = now;
        run.walk.blockStart = now;
        run.limits.startPose = world.camera;
        run.walk.residentAtStartKb = residentKb();
        startHeapCount();
        return true;
    }
    if (run.phase == Phase::Profile) {
        ++run.profile.frames;
        run.finished = now - run.profile.start >= std::clamp(run.options.seconds / 4, 0.5, 5.0);
        return true;
    }
    if (run.walk.resuming) {
        run.walk.resuming = false;
        run.walk.blockStart = now;
        return true;
    }
    ++run.walk.pathFrames;
    run.walk.lastDelta = shell.frameClock.delta;
    if (run.walk.frameSeconds.size() < run.walk.frameSeconds.capacity())
        run.walk.frameSeconds.push_back(run.walk.lastDelta);
    if (world.fineTerrain)
        run.fine.record(world.fineTerrain->figures());
    if (now - run.walk.blockStart < kPathBlockSeconds)
        return true;
    run.walk.seconds += now - run.walk.blockStart;
    if (run.walk.seconds >= run.options.seconds) {
        endPath(run, drawing.surface, shell.clientRect);
        run.finished = !run.options.profile;
        run.phase = Phase::Profile;
        run.profile.start = now;
        return true;
    }
    measureLimitSlices(run.limits, world);
    run.walk.resuming = true;
    return true;
}

RunFigures runFigures(const BenchRun& run)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double fps = run.walk.seconds > 0 ? static_cast<double>(run.walk.pathFrames) / run.walk.seconds : 0;
    const double limit = run.limits.tallies[kQuadTerrainLimit].fps();
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
        {"limit_clear_swap_fps", run.limits.tallies[kClearSwapLimit].fps()},
        {"limit_quad_fps", run.limits.tallies[kQuadLimit].fps()},
        {"limit_quad_terrain_fps", limit},
        {"share_of_limit_percent", limit > 0 ? fps / limit * 100 : 0},
    };
    // Only with the options that change them, so the default figures stay as they were.
    if (run.options.windowWidth > 0 || run.options.fullScreenDesktop || run.options.renderScale) {
        figures.push_back({"window_width_px", static_cast<double>(run.walk.windowWidth)});
        figures.push_back({"window_height_px", static_cast<double>(run.walk.windowHeight)});
        figures.push_back({"render_scale", run.walk.scaleAtEnd});
    }
    // Only with a fine ground, so the figures of a landscape without one stay as they were.
    const auto middle = [](const std::vector<float>& values) {
        return median(std::vector<double>(values.begin(), values.end()));
    };
    if (!run.fine.triangles.empty()) {
        figures.push_back({"fine_triangles_per_frame", middle(run.fine.triangles)});
        figures.push_back({"fine_largest_error_px", middle(run.fine.largestError)});
        figures.push_back({"fine_nodes_resident", middle(run.fine.nodesResident)});
        figures.push_back({"fine_texture_mb", middle(run.fine.textureMegabytes)});
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
std::string setUpWindow(Shell& shell, Drawing& drawing, const BenchOptions& options)
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
            windowProcedure(shell, drawing, message);
            applyDisplayRequests(drawing, shell.clientRect);
        }
    }
    drawing.surface.filter = options.filter;
    drawing.terrainErrorPixels = options.terrainErrorPixels;
    if (options.renderScale)
        return startRenderScale(drawing, shell.clientRect, options.scale).text;
    return "";
}

} // namespace

int runOnce(const BenchOptions& options)
{
    BenchRun run;
    run.options = options;
    // The viewer reads its files from the working directory.
    if (const char* failure = enterFolder(options.folder.c_str())) {
        std::fprintf(stderr, "lumora-bench: cannot enter %s: %s\n", options.folder.c_str(), failure);
        return 1;
    }
    run.walk.frameSeconds.reserve(kMaxRecordedFrames);
    if (!startViewerWindowed(shell, drawing, world, "lumora-bench",
                             options.fullScreenDesktop ? StartMode::FullScreenDesktop : StartMode::Windowed))
        return 1;
    if (world.fineTerrain)
        run.fine.reserve(kMaxRecordedFrames);
    if (const std::string failure = setUpWindow(shell, drawing, options); !failure.empty()) {
        std::fprintf(stderr, "lumora-bench: %s\n", failure.c_str());
        finishViewerSession(shell, drawing, world);
        return 1;
    }
    startCameraPath(run.walk.path, world.camera, world.camera.position.y);
    runMainLoop(shell, drawing, world, benchTurn, &run);
    finishViewerSession(shell, drawing, world);
    if (!run.walk.done) {
        std::fprintf(stderr, "lumora-bench: the window was closed before the path ended\n");
        return 1;
    }
    std::printf("%s\n", formatRunLine(runFigures(run)).c_str());
    return 0;
}
