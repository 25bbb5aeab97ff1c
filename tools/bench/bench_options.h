#pragma once
// What the command line asks of the benchmark: the data folder, the runs and
// their seconds of path, the report's form, the window's size and render
// scale and a fine ground's error; and, in a run that the benchmark started itself, when it was started.

#include "surface/render_scale.h"
#include "terrain/ground_layout.h"

#include <string>

constexpr double kDefaultSeconds = 30;
constexpr int kDefaultRuns = 3;

struct BenchOptions {
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
    const std::string* terrainError = nullptr; // --terrain-error as given, or null
    float terrainErrorPixels = kDefaultTerrainError;
    bool isRun = false;   // this process is one run, started by the benchmark itself
    double spawnedAt = 0; // when the benchmark started this run (monotonicSeconds)
};
