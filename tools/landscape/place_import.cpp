#include "place_import.h"

#include "fine_ground.h"
#include "geo_reference.h"
#include "geodata_file.h"
#include "imagery.h"
#include "random.h"
#include "terrain_picture.h"
#include "textures.h"
#include "track.h"

#include "assets/report.h"

#include <optional>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace landscape {

namespace {

// printf onto the end of a string.
void appendf(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string& text, const char* format, ...)
{
    va_list arguments, again;
    va_start(arguments, format);
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    if (length > 0) {
        const size_t end = text.size();
        text.resize(end + static_cast<size_t>(length) + 1);
        std::vsnprintf(&text[end], static_cast<size_t>(length) + 1, format, again);
        text.resize(end + static_cast<size_t>(length));
    }
    va_end(again);
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

// The latitude of a row of the reference's grid, at its middle.
double latitudeAtRow(const GeoReference& reference, int row)
{
    return reference.grid[row * kGeoGridCount + kGeoGridCount / 2].latitude;
}

// The exaggeration of a relief spread over the whole byte range.
double spreadExaggeration(const ElevationModel& model, const GridStep& step)
{
    const auto [low, high] = std::minmax_element(model.grid.samples.begin(), model.grid.samples.end());
    return step.mean() / (std::max(*high - *low, 1e-6f) / 255.0 * model.metresPerUnit);
}

// The ground from the elevation model, with what was done to it on the line.
struct ImportedHeights {
    HeightField ground;
    std::shared_ptr<FineGround> fine; // none at --ground-size none
    std::optional<GeoReference> reference; // where the model is georeferenced
    std::optional<GridStep> step;          // where it says how large a sample is
    std::string line;
};

ImportedHeights importHeights(const ImportOptions& options)
{
    const std::string file = options.heightMap.string();
    const bool asked = options.groundSize != kNoGround;
    ElevationModel model =
        readElevationModel(file, options.window, asked ? options.groundSize.value_or(kGroundSideOfWindow) : kMapSize);
    // A fine ground runs from the first sample to the last: a window of one
    // sample on a side has no span to stretch over the world, and keeps the
    // byte map alone.
    const bool fine = asked && model.windowWidth > 1 && model.windowHeight > 1;
    const int filled = fillNoData(model.grid);
    // Where the world's x = 0..1024 lies in the window, in its columns and
    // rows: over its whole width, or with a fine ground from the first
    // sample to the last, which lie on the ground's edges.
    const int side = fine ? options.groundSize.value_or(groundSideFor(model.windowWidth, model.windowHeight)) : 0;
    SampleLine across{0.0, static_cast<double>(model.windowWidth) / kMapSize};
    SampleLine along{0.0, static_cast<double>(model.windowHeight) / kMapSize};
    if (fine) {
        across = groundLineOf(sampleLineOf(model.windowWidth, model.grid.width), model.grid.width, side);
        along = groundLineOf(sampleLineOf(model.windowHeight, model.grid.height), model.grid.height, side);
    }
    const double worldAcross = across.every * (side - 1) / kMapSize; // window columns a world unit
    const double worldAlong = along.every * (side - 1) / kMapSize;
    std::optional<GridStep> step;
    if (model.metresAcross && model.metresAlong)
        step = fine ? GridStep{*model.metresAcross / model.windowWidth * worldAcross,
                               *model.metresAlong / model.windowHeight * worldAlong}
                    : GridStep{*model.metresAcross / kMapSize, *model.metresAlong / kMapSize};
    std::optional<float> unitsPerStep = options.scale;
    double flattened = 1.0;
    if (options.exaggeration) {
        if (!step)
            throw std::runtime_error("is not georeferenced, so no exaggeration can be given "
                                     "(--vertical-scale can set the height step)");
        unitsPerStep = unitsForExaggeration(model, *step, *options.exaggeration, flattened);
    } else if (!options.scale && step && spreadExaggeration(model, *step) > kMostDefaultExaggeration) {
        unitsPerStep = unitsForExaggeration(model, *step, kMostDefaultExaggeration, flattened);
    }
    // The ground is drawn once and the walk stops at its edge, so its edges
    // are left as the place is: a coast stays a coast.
    ImportedHeights heights;
    GroundFit fit;
    StartPlacement start;
    if (fine) {
        auto ground = std::make_shared<FineGround>(groundFromGrid(std::move(model.grid), side));
        fit = fitFineGround(*ground, unitsPerStep);
        start = standStartOnGround(fit);
        placeFineGround(*ground, start);
        fit.ground = byteMapOf(*ground);
        heights.fine = ground;
    } else {
        fit = fitGround(model.grid, unitsPerStep);
        start = standStartOnGround(fit);
    }
    // The metres of the ground's heights, as the fit, the raising and the
    // flattening leave them.
    const double metresAtHeight0 = fit.scale.atHeight0 * model.metresPerUnit;
    const double metresPerHeightStep = fit.scale.perStep * model.metresPerUnit;

    std::string& line = heights.line;
    appendf(line, "%d x %d samples, from %g to %g; one height step is %g input units", model.windowWidth, model.windowHeight, static_cast<double>(fit.inputMin),
            static_cast<double>(fit.inputMax), static_cast<double>(fit.unitsPerStep));
    if (step) {
        if (std::fabs(step->across - step->along) > 0.01 * step->mean())
            appendf(line, "; a grid step is %.4g m across and %.4g m along", step->across, step->along);
        else
            appendf(line, "; a grid step is %.4g m", step->mean());
        char factor[32];
        std::snprintf(factor, sizeof factor, "%.3g", step->mean() / metresPerHeightStep);
        if (std::string_view(factor) == "1")
            appendf(line, " and a height step %.4g m, so the relief is in true proportions", metresPerHeightStep);
        else
            appendf(line, " and a height step %.4g m, so the relief is exaggerated %s times", metresPerHeightStep,
                    factor);
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
    if (fine)
        appendf(line, "; a fine ground of %d x %d samples", side, side);

    std::optional<GeoReference> reference;
    if (model.windowTransform && !model.systemWkt.empty()) {
        reference.emplace();
        reference->systemWkt = model.systemWkt;
        reference->geotransform =
            fine ? worldTransformOf(*model.windowTransform, across.first, worldAcross, along.first, worldAlong)
                 : worldTransformOf(*model.windowTransform, model.windowWidth, model.windowHeight);
        reference->metresPerHeightStep = metresPerHeightStep;
        reference->metresAtHeight0 = metresAtHeight0;
        try {
            placeGridOnEarth(*reference);
            reference->treeLineNorth = treeLineMetres(latitudeAtRow(*reference, 0));
            reference->treeLineSouth = treeLineMetres(latitudeAtRow(*reference, kGeoGridCount - 1));
        } catch (const std::runtime_error& e) {
            appendf(line, "; %s, so no geographic reference is written", e.what());
            reference.reset();
        }
    }

    if (heights.fine && model.windowTransform) {
        // Sample k's pixel has its centre at first + k every: its corner half a pixel before.
        FineGround& ground = *heights.fine;
        ground.transform = worldTransformOf(*model.windowTransform, across.first - 0.5 * across.every, across.every,
                                            along.first - 0.5 * along.every, along.every);
        ground.systemWkt = model.systemWkt;
    }
    heights.ground = std::move(fit.ground);
    heights.reference = std::move(reference);
    heights.step = step;
    return heights;
}

// What the ground is in metres, where the place's position is known.
std::optional<GroundMetres> groundMetres(const ImportedHeights& heights)
{
    const std::optional<GeoReference>& reference = heights.reference;
    if (!reference || !heights.step)
        return std::nullopt;
    return GroundMetres{reference->metresAtHeight0,
                        reference->metresPerHeightStep,
                        heights.step->across,
                        heights.step->along,
                        latitudeAtRow(*reference, 0),
                        latitudeAtRow(*reference, kGeoGridCount - 1)};
}

// The painted ground at the picture's side: from metres where the place's
// position is known, else as the generated ground is painted.
Picture paintedGround(const ImportedHeights& heights, uint64_t seed, int side)
{
    const std::optional<GroundMetres> metres = groundMetres(heights);
    if (!metres)
        return resizedPicture(paintTerrain(heights.ground, seed), side);
    return resizedPicture(paintTerrain(heights.ground, seed, *metres), side);
}

// Runs one part of the import, naming its file in the reason it fails.
template <typename Part>
auto forFile(const std::filesystem::path& file, Part part)
{
    try {
        return part();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(reportLine({Failure::Read, file.string(), 0, e.what()}));
    }
}

std::string imageryPart(const std::filesystem::path& file, const ImageryCover& cover, int side)
{
    std::string text;
    appendf(text, "; picture %s: %d x %d pixels, ", file.c_str(), cover.width, cover.height);
    switch (cover.fit) {
    case ImageryFit::Warped:
        appendf(text, "warped onto the ground at %d x %d", side, side);
        break;
    case ImageryFit::WarpedInModelSystem:
        appendf(text, "warped onto the ground at %d x %d in the elevation model's coordinate system (it names none)",
                side, side);
        break;
    case ImageryFit::Stretched:
        appendf(text, "not georeferenced, so stretched over the ground at %d x %d", side, side);
        break;
    case ImageryFit::StretchedOnUnplaced:
        appendf(text, "stretched over the ground at %d x %d, since the elevation model is not georeferenced", side,
                side);
        break;
    }
    const double percent = 100.0 * cover.coveredShare;
    if (percent < 0.05)
        appendf(text, "; it covers none of the ground, which is painted");
    else if (percent < 99.95)
        appendf(text, "; it covers %.1f %% of the ground, the rest is painted", percent);
    return text;
}

std::string trackPart(const std::filesystem::path& file, const TrackDrawing& drawing)
{
    std::string text;
    if (!drawing.drawn)
        appendf(text, "; track %s lies wholly outside the ground, so nothing of it is drawn", file.c_str());
    else
        appendf(text, "; track %s: %d %s and %d %s drawn", file.c_str(), drawing.lines,
                drawing.lines == 1 ? "line" : "lines", drawing.waypoints,
                drawing.waypoints == 1 ? "waypoint" : "waypoints");
    return text;
}

} // namespace

ImportedPlace importPlace(const ImportOptions& options, uint64_t seed)
{
    ImportedHeights heights = forFile(options.heightMap, [&] { return importHeights(options); });
    const GeoReference* ground = heights.reference ? &*heights.reference : nullptr;
    // Every file is opened before anything is painted, so one that cannot
    // serve is told at once.
    const auto open = [](const std::filesystem::path& file, GeodataKind kind) {
        return file.empty() ? std::unique_ptr<GDALDataset>() : forFile(file, [&] { return openGeodata(file, kind); });
    };
    const std::unique_ptr<GDALDataset> image = open(options.image, GeodataKind::Imagery);
    const std::unique_ptr<GDALDataset> track = open(options.track, GeodataKind::Track);
    if (track && !ground)
        throw std::runtime_error(options.track.string() +
                                 ": cannot be placed, since the elevation model is not georeferenced");

    ImportedPlace place;
    place.report = importLine(options.heightMap.string(), heights.line);
    Terrain& terrain = place.terrain;
    const int side = options.pictureSize.value_or(image ? kPhotoPictureSize : kMapSize);
    terrain.detailPicture = paintDetail(streamSeed(seed, kTextureStream));

    // A photograph is drawn under a detail picture that is nearly white, and
    // divided by its mean so that it shows its own colours; the painted
    // ground it leaves uncovered is brought to what it shows under its own
    // detail picture. The track keeps its colours under whichever detail
    // picture it is drawn.
    Vec3 paintedGain{1.0f, 1.0f, 1.0f};
    std::optional<ImageryDrape> drape;
    if (image) {
        const Vec3 paintedMean = meanColour(terrain.detailPicture);
        terrain.detailPicture = paintPhotoDetail(streamSeed(seed, kTextureStream));
        const Vec3 photoMean = meanColour(terrain.detailPicture);
        paintedGain = paintedMean / photoMean;
        const Vec3 gain = Vec3{1.0f, 1.0f, 1.0f} / photoMean;
        drape.emplace(forFile(options.image, [&] { return ImageryDrape(*image, ground, gain, side); }));
    }
    std::optional<TrackDrawer> drawer;
    if (track) {
        const Vec3 gain = Vec3{1.0f, 1.0f, 1.0f} / meanColour(terrain.detailPicture);
        drawer.emplace(forFile(options.track, [&] { return TrackDrawer(*track, *ground, gain, side); }));
    }
    // The photograph and the track laid on the painted ground, a band of
    // rows at a time where the picture is too large to hold whole.
    const auto layOn = [&](int first, Picture& band) {
        if (drape) {
            const float gains[3] = {paintedGain.x, paintedGain.y, paintedGain.z};
            for (size_t i = 0; i < band.pixels.size(); ++i)
                band.pixels[i] = toByte(band.pixels[i] / 255.0f * gains[i % 3]);
            forFile(options.image, [&] { drape->lay(first, band); });
        }
        if (drawer)
            forFile(options.track, [&] { drawer->draw(first, band); });
    };
    if (side > kMostWholePictureSize) {
        const std::optional<GroundMetres> metres = groundMetres(heights);
        const FinePainter painter(blendedHeights(heights.ground), seed, metres ? &*metres : nullptr, side);
        FinePicture fine = makeFinePicture(options.folder, side, ground, [&](int first, Picture& band) {
            painter.paint(first, band);
            layOn(first, band);
        });
        terrain.picture = std::move(fine.listPicture);
        terrain.finePicture = std::move(fine.file);
    } else {
        terrain.picture = paintedGround(heights, seed, side);
        layOn(0, terrain.picture);
    }
    terrain.ground = std::move(heights.ground);
    terrain.fineGround = std::move(heights.fine);
    if (drape)
        place.report += imageryPart(options.image, drape->cover(), side);
    if (drawer)
        place.report += trackPart(options.track, drawer->drawing());
    place.reference = std::move(heights.reference);
    if (place.reference)
        terrain.geoReference = formatGeoReference(*place.reference);
    return place;
}

} // namespace landscape
