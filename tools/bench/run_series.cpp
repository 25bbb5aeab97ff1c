#include "bench/run_series.h"

#include "bench/figures.h"
#include "common/viewer_session.h"
#include "import/child_process.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Starts this program again as one run; returns its figures, or false. What
// the run writes on standard error is passed on once it has ended.
bool spawnRun(const BenchOptions& options, RunFigures& figures)
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
    if (options.terrainError)
        arguments.insert(arguments.end(), {"--terrain-error", *options.terrainError});
    char spawnedAt[64];
    std::snprintf(spawnedAt, sizeof spawnedAt, "%.9f", monotonicSeconds());
    arguments[2] = spawnedAt;
    const ChildOutcome outcome = runChildProcess("/proc/self/exe", arguments, [] {});
    std::fputs(outcome.notRun.text.c_str(), stderr);
    std::fputs(outcome.errorOutput.c_str(), stderr);
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

} // namespace

int runAll(const BenchOptions& options)
{
    std::vector<RunFigures> runs;
    for (int i = 1; i <= options.runs; ++i) {
        RunFigures figures;
        if (!spawnRun(options, figures)) {
            std::fprintf(stderr, "lumora-bench: run %d of %d failed\n", i, options.runs);
            return 1;
        }
        const Figure* fps = findFigure(figures, "fps");
        std::fprintf(stderr, "lumora-bench: run %d of %d: %.1f frames per second along the path\n", i, options.runs,
                     fps ? fps->value : 0);
        runs.push_back(figures);
    }
    const RunFigures medians = medianFigures(runs);
    const std::string text = options.json ? formatJson(medians, runs, options.seconds)
                                          : formatTable(medians, options.runs, options.seconds);
    std::fputs(text.c_str(), stdout);
    return 0;
}
