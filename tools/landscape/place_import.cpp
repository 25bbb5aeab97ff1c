#include "place_import.h"

#include "geo_reference.h"
#include "random.h"
#include "terrain_picture.h"
#include "textures.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>

namespace landscape {

namespace {

// printf onto the end of a string.
void appendf(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string& text, const char* format, ...)
{
    char part[512];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(part, sizeof part, format, arguments);
    va_end(arguments);
    text.append(part, static_cast<size_t>(std::clamp(length, 0, static_cast<int>(sizeof part) - 1)));
}

// The metres a grid step of the ground covers, across and along, where the
// file is georeferenced.
struct GridStep {
    double across = 0.0, along = 0.0;
    double mean() const { return 0.5 * (across + along); }
};

// Input units per height step for the exaggeration asked for, flattened
// where the relief would not fit in the byte range; flattened says how much.
float unitsForExaggeration(const ElevationModel& model, const GridStep& step, float exaggeration, double& flattened)
{
    const auto [low, high] = std::minmax_element(model.grid.samples.begin(), model.grid.samples.end());
    const double units = step.mean() / exaggeration / model.metresPerUnit;
    flattened = (*high - *low) / units / 255.0;
    return static_cast<float>(flattened > 1.0 ? (*high - *low) / 255.0 : units);
}

ImportedPlace importHeights(const ImportOptions& options, uint64_t seed)
{
    const std::string file = options.heightMap.string();
    ElevationModel model = readElevationModel(file, options.window);
    const int filled = fillNoData(model.grid);
    std::optional<GridStep> step;
    if (model.metresAcross && model.metresAlong)
        step = GridStep{*model.metresAcross / kMapSize, *model.metresAlong / kMapSize};
    std::optional<float> unitsPerStep = options.scale;
    double flattened = 1.0;
    if (options.exaggeration) {
        if (!step)
            throw std::runtime_error("is not georeferenced, so no exaggeration can be given "
                                     "(--vertical-scale can set the height step)");
        unitsPerStep = unitsForExaggeration(model, *step, *options.exaggeration, flattened);
    }
    GroundFit fit = fitGround(model.grid, unitsPerStep);
    joinEdges(fit.ground);
    const StartPlacement start = standStartOnGround(fit.ground);

    ImportedPlace place;
    std::string& line = place.report;
    appendf(line, "%s: %d x %d samples, from %g to %g; one height step is %g input units", file.c_str(),
            model.windowWidth, model.windowHeight, static_cast<double>(fit.inputMin),
            static_cast<double>(fit.inputMax), static_cast<double>(fit.unitsPerStep));
    if (step) {
        const double heightStep = fit.unitsPerStep * model.metresPerUnit / start.relief;
        if (std::fabs(step->across - step->along) > 0.01 * step->mean())
            appendf(line, "; a grid step is %.4g m across and %.4g m along", step->across, step->along);
        else
            appendf(line, "; a grid step is %.4g m", step->mean());
        appendf(line, " and a height step %.4g m, so the relief is exaggerated %.3g times", heightStep,
                step->mean() / heightStep);
        if (flattened > 1.0)
            appendf(line, " (flattened %.3g times to fit heights 0 to 255)", flattened);
    } else {
        appendf(line, "; the file is not georeferenced, so no exaggeration can be given");
    }
    if (filled > 0)
        appendf(line, "; %d no-data samples filled", filled);
    if (fit.clipped > 0)
        appendf(line, "; %d heights cut at 255", fit.clipped);
    if (start.raisedBy > 0.0f || start.relief < 1.0f) {
        appendf(line, "; raised %.3g height steps", static_cast<double>(start.raisedBy));
        if (start.relief < 1.0f)
            appendf(line, " and the relief flattened to %.0f %%", 100.0 * start.relief);
        appendf(line, " so the viewer starts on the ground");
    }

    // What a height byte is in metres, undoing the fit, the raising and the
    // flattening: h = 255 - (255 - (h0 + raisedBy)) * relief, where h0 is the
    // fitted height (input - inputMin) / unitsPerStep.
    std::optional<GeoReference> reference;
    if (model.windowTransform && !model.systemWkt.empty()) {
        reference.emplace();
        reference->systemWkt = model.systemWkt;
        reference->worldTransform = worldTransformOf(*model.windowTransform, model.windowWidth, model.windowHeight);
        const double units = fit.unitsPerStep, relief = start.relief;
        reference->metresPerHeightStep = units * model.metresPerUnit / relief;
        reference->metresAtHeight0 =
            model.metresPerUnit * (fit.inputMin - units * (start.raisedBy + 255.0 * (1.0 - relief) / relief));
        try {
            reference->gridLonLat = lonLatGrid(reference->systemWkt, reference->worldTransform);
        } catch (const std::runtime_error& e) {
            appendf(line, "; %s, so no geographic reference is written", e.what());
            reference.reset();
        }
    }

    Terrain& terrain = place.terrain;
    terrain.ground = std::move(fit.ground);
    terrain.picture = resizedPicture(paintTerrain(terrain.ground, seed), options.pictureSize);
    terrain.detailPicture = paintDetail(streamSeed(seed, kTextureStream));
    if (reference)
        terrain.geoReference = formatGeoReference(*reference);
    return place;
}

} // namespace

ImportedPlace importPlace(const ImportOptions& options, uint64_t seed)
{
    try {
        return importHeights(options, seed);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(options.heightMap.string() + ": " + e.what());
    }
}

} // namespace landscape
