// lumora-bench: the viewer's start-up and frames along a fixed camera path,
// and the renderer's limits in the same window. Each run is a fresh process
// (the benchmark starts itself again), so that start-up is measured from the
// process start.
#include "app/command_line.h"
#include "bench/bench_options.h"
#include "bench/path_run.h"
#include "bench/run_series.h"
#include "common/tool_options.h"

#include <cstdio>
#include <string>

namespace {

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: lumora-bench DIR [--seconds S] [--runs R] [--json] [--profile]\n"
                      "                   [--window WxH | --fullscreen-desktop] [--render-scale F|auto]\n"
                      "                   [--render-filter nearest|linear] [--terrain-error PX]\n"
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
        {"--terrain-error", true, "PX", terrainErrorHelp()},
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

bool parseOptions(const ToolCommandLine& line, BenchOptions& options)
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
    options.terrainError = line.value("--terrain-error");
    if (options.terrainError && !parseTerrainError(options.terrainError->c_str(), options.terrainErrorPixels)) {
        std::fprintf(stderr, "lumora-bench: --terrain-error needs %s\n", kTerrainErrorRange);
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

} // namespace

int main(int argc, char** argv)
{
    const ToolCommandLine line = parseToolCommandLine(argc, argv, benchOptions());
    if (const int status = answerToolCommandLine(line, "lumora-bench", printHelp, printUsage); status != kToolRuns)
        return status;
    BenchOptions options;
    if (!parseOptions(line, options))
        return 2;
    return options.isRun ? runOnce(options) : runAll(options);
}
