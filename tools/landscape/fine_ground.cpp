#include "fine_ground.h"

#include "geodata_file.h"
#include "noise.h"
#include "random.h"

#include "terrain/ground_layout.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace landscape {

namespace {

// The stream of the landscape seed that the generated ground's finer octaves draw from.
constexpr uint64_t kFineDetailStream = 201;
// The height of the coarsest of those octaves, in world units; each finer
// one is half as high, as the field's own detail falls off towards them.
constexpr float kFineDetailHeight = 0.1f;

bool isGroundSide(int side)
{
    for (int each = kLeastFineGroundSide; each <= kMostFineGroundSide; each = 2 * each - 1)
        if (side == each)
            return true;
    return false;
}

// Catmull-Rom weights for a sample halfway between two grid points, as the
// generated field is upsampled.
float halfway(float a, float b, float c, float d) { return (-a + 9.0f * b + 9.0f * c - d) * (1.0f / 16.0f); }

// One line of samples stretched to a longer one, first and last kept at its ends.
void stretchLine(const float* in, int inCount, float* out, int outCount)
{
    if (inCount == outCount) {
        std::copy(in, in + inCount, out);
        return;
    }
    const double ratio = inCount > 1 ? static_cast<double>(inCount - 1) / (outCount - 1) : 0.0;
    for (int k = 0; k < outCount; ++k) {
        const double at = k * ratio;
        const int low = std::min(static_cast<int>(at), inCount - 1);
        const int high = std::min(low + 1, inCount - 1);
        const double t = at - low;
        out[k] = static_cast<float>(in[low] + (in[high] - in[low]) * t);
    }
}

} // namespace

std::optional<int> groundSizeNamed(std::string_view text)
{
    if (text == "none")
        return kNoGround;
    int side = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
    if (error != std::errc() || end != text.data() + text.size() || !isGroundSide(side))
        return std::nullopt;
    return side;
}

int groundSideFor(int windowWidth, int windowHeight)
{
    const int most = std::max(windowWidth, windowHeight);
    int side = kLeastFineGroundSide;
    while (side < most && side < kMostFineGroundSide)
        side = 2 * side - 1;
    return side;
}

FineGround refineGeneratedGround(const HeightField& field, int side, uint64_t seed)
{
    if (!isGroundSide(side) || field.size != kMapSize)
        throw std::invalid_argument("a fine ground is 2^k + 1 samples a side, from 1025 to 16385");
    FineGround ground;
    ground.side = side;
    ground.heights.resize(static_cast<size_t>(side) * side);
    const int period = side - 1;
    const int every = period / kMapSize; // samples a world unit
    const auto index = [&](int i, int j) { return static_cast<size_t>(j & (period - 1)) * side + (i & (period - 1)); };
    for (int z = 0; z < kMapSize; ++z)
        for (int x = 0; x < kMapSize; ++x)
            ground.heights[index(x * every, z * every)] = field.heights[static_cast<size_t>(z) * kMapSize + x];

    // Halving the spacing in place, rows and then columns, as the field was
    // made from its working grid; the map repeats, so the neighbours wrap.
    float* h = ground.heights.data();
    for (int spacing = every; spacing > 1; spacing /= 2) {
        const int half = spacing / 2;
        for (int j = 0; j < period; j += spacing)
            for (int i = half; i < period; i += spacing)
                h[index(i, j)] = halfway(h[index(i - 3 * half, j)], h[index(i - half, j)], h[index(i + half, j)],
                                         h[index(i + 3 * half, j)]);
        for (int j = half; j < period; j += spacing)
            for (int i = 0; i < period; i += half)
                h[index(i, j)] = halfway(h[index(i, j - 3 * half)], h[index(i, j - half)], h[index(i, j + half)],
                                         h[index(i, j + 3 * half)]);
    }

    // Gradient noise is zero on its lattice, and the coarsest octave's
    // lattice is the world's integer points: the field's own heights stay.
    int octaves = 0;
    for (int finer = every; finer > 1; finer /= 2)
        ++octaves;
    if (octaves > 0) {
        const uint32_t detail = noiseSeed(seed, kFineDetailStream);
        const float height = kFineDetailHeight * 2.0f * (1.0f - std::pow(0.5f, static_cast<float>(octaves)));
        for (int j = 0; j < period; ++j)
            for (int i = 0; i < period; ++i) {
                const float u = static_cast<float>(i) / static_cast<float>(period);
                const float v = static_cast<float>(j) / static_cast<float>(period);
                h[index(i, j)] += height * tileFbm(detail, u, v, kMapSize, octaves);
            }
    }
    for (int j = 0; j < side; ++j)
        h[static_cast<size_t>(j) * side + period] = h[index(0, j)];
    std::copy(h, h + side, h + static_cast<size_t>(period) * side);
    return ground;
}

SampleLine sampleLineOf(int windowSamples, int readSamples)
{
    if (readSamples >= windowSamples)
        return {};
    const double every = static_cast<double>(windowSamples) / readSamples;
    return {0.5 * every, every};
}

SampleLine groundLineOf(const SampleLine& read, int readSamples, int side)
{
    return {read.first, read.every * (readSamples - 1) / (side - 1)};
}

FineGround groundFromGrid(ElevationGrid&& grid, int side)
{
    FineGround ground;
    ground.side = side;
    if (grid.width == side && grid.height == side) {
        ground.heights = std::move(grid.samples);
        return ground;
    }
    std::vector<float> rows(static_cast<size_t>(grid.height) * side);
    for (int y = 0; y < grid.height; ++y)
        stretchLine(&grid.samples[static_cast<size_t>(y) * grid.width], grid.width,
                    &rows[static_cast<size_t>(y) * side], side);
    grid.samples = {};
    ground.heights.resize(static_cast<size_t>(side) * side);
    const double ratio = grid.height > 1 ? static_cast<double>(grid.height - 1) / (side - 1) : 0.0;
    for (int j = 0; j < side; ++j) {
        const double at = j * ratio;
        const int low = std::min(static_cast<int>(at), grid.height - 1);
        const int high = std::min(low + 1, grid.height - 1);
        const auto t = static_cast<float>(at - low);
        const float* a = &rows[static_cast<size_t>(low) * side];
        const float* b = &rows[static_cast<size_t>(high) * side];
        float* out = &ground.heights[static_cast<size_t>(j) * side];
        for (int i = 0; i < side; ++i)
            out[i] = t == 0.0f ? a[i] : a[i] + (b[i] - a[i]) * t;
    }
    return ground;
}

HeightField byteMapOf(const FineGround& ground, int* clipped)
{
    HeightField field;
    field.size = kMapSize;
    field.heights.resize(static_cast<size_t>(kMapSize) * kMapSize);
    const int every = (ground.side - 1) / kMapSize;
    int above = 0;
    for (int z = 0; z < kMapSize; ++z)
        for (int x = 0; x < kMapSize; ++x) {
            const float height = ground.at(x * every, z * every);
            above += height > 255.0f;
            field.heights[static_cast<size_t>(z) * kMapSize + x] = std::clamp(height, 0.0f, 255.0f);
        }
    if (clipped)
        *clipped = above;
    return field;
}

GroundFit fitFineGround(FineGround& ground, std::optional<float> unitsPerStep)
{
    GroundFit fit;
    const auto [low, high] = std::minmax_element(ground.heights.begin(), ground.heights.end());
    fit.inputMin = *low;
    fit.inputMax = *high;
    fit.unitsPerStep = unitsPerStep.value_or(std::max((fit.inputMax - fit.inputMin) / 255.0f, 1e-6f));
    const double least = fit.inputMin, per = fit.unitsPerStep;
    for (float& height : ground.heights)
        height = static_cast<float>((height - least) / per);
    fit.ground = byteMapOf(ground, &fit.clipped);
    fit.scale = {fit.inputMin, fit.unitsPerStep};
    return fit;
}

void placeFineGround(FineGround& ground, const StartPlacement& placement)
{
    if (placement.raisedBy == 0.0f && placement.relief == 1.0f)
        return;
    for (float& height : ground.heights)
        height = 255.0f - (255.0f - (height + placement.raisedBy)) * placement.relief;
}

namespace {

// The nodes' bounds as the file holds them: three numbers a node, each the
// shortest text that reads back as the same float.
std::string boundsText(const std::vector<GroundNodeBounds>& bounds)
{
    std::string text;
    text.reserve(bounds.size() * 30);
    char number[32];
    for (const GroundNodeBounds& node : bounds)
        for (const float value : {node.minHeight, node.maxHeight, node.error}) {
            if (!text.empty())
                text += ' ';
            const auto [end, error] = std::to_chars(number, number + sizeof number, value);
            text.append(number, error == std::errc() ? end : number);
        }
    return text;
}

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

[[noreturn]] void cannotWrite(const std::filesystem::path& file, const char* what)
{
    std::string reason = CPLGetLastErrorMsg();
    throw std::runtime_error("cannot write " + file.string() + ": " + what + (reason.empty() ? "" : " (" + reason + ")"));
}

} // namespace

void writeGroundFile(const FineGround& ground, const std::filesystem::path& file)
{
    const std::optional<GroundLayout> layout = groundLayout(ground.side);
    if (!layout || ground.heights.size() != static_cast<size_t>(ground.side) * ground.side)
        throw std::invalid_argument("a fine ground is 2^k + 1 samples a side, from 1025 to 16385");
    setUpGeodataLibrary();
    GDALDriver* tiff = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (tiff == nullptr)
        throw std::runtime_error("cannot write " + file.string() + ": the raster library cannot write GeoTIFFs");
    CPLErrorReset();

    // Written in place, not copied into a cloud-optimised layout: this
    // library's copy keeps only the default metadata domain, and the bounds
    // live in their own. The main directory, with the bounds, still comes
    // first; the overviews follow it.
    struct Unfinished {
        const std::filesystem::path& path;
        bool done = false;
        ~Unfinished()
        {
            std::error_code error;
            if (!done)
                std::filesystem::remove(path, error);
        }
    } unfinished{file};
    const char* const options[] = {"TILED=YES",   "BLOCKXSIZE=256",       "BLOCKYSIZE=256",   "COMPRESS=DEFLATE",
                                   "PREDICTOR=3", "NUM_THREADS=ALL_CPUS", "BIGTIFF=IF_SAFER", nullptr};
    const int side = ground.side;
    Dataset written(tiff->Create(file.c_str(), side, side, 1, GDT_Float32, const_cast<char**>(options)));
    if (!written)
        cannotWrite(file, "it cannot be created");
    if (ground.transform) {
        written->SetGeoTransform(const_cast<double*>(ground.transform->data()));
        OGRSpatialReference system;
        if (!ground.systemWkt.empty() && system.importFromWkt(ground.systemWkt.c_str()) == OGRERR_NONE)
            written->SetSpatialRef(&system);
    }
    const std::vector<GroundNodeBounds> bounds = computeGroundNodeBounds(*layout, ground.heights.data());
    written->SetMetadataItem("GROUND_NODE_QUADS", std::to_string(kGroundNodeQuads).c_str(), "LUMORA");
    written->SetMetadataItem("GROUND_NODES", boundsText(bounds).c_str(), "LUMORA");

    // Level 0 is the heights as they are; the overviews are made empty and
    // filled with level 0's samples, every 2^l-th, since no resampling of
    // the library gives exactly those.
    GDALRasterBand& band = *written->GetRasterBand(1);
    float* heights = const_cast<float*>(ground.heights.data()); // only read from
    if (band.RasterIO(GF_Write, 0, 0, side, side, heights, side, side, GDT_Float32, 0, 0, nullptr) != CE_None)
        cannotWrite(file, "its heights cannot be written");
    std::vector<int> factors;
    for (int level = 1; level < layout->levelCount; ++level)
        factors.push_back(1 << level);
    if (written->BuildOverviews("NONE", static_cast<int>(factors.size()), factors.data(), 0, nullptr, nullptr,
                                nullptr) != CE_None)
        cannotWrite(file, "its levels cannot be made");
    for (int level = 1; level < layout->levelCount; ++level) {
        GDALRasterBand* overview = band.GetOverview(level - 1);
        const int levelSide = (side - 1) / (1 << level) + 1;
        if (overview == nullptr || overview->GetXSize() != levelSide || overview->GetYSize() != levelSide)
            cannotWrite(file, "its levels come out at other sizes");
        const GSpacing step = GSpacing(1) << level;
        if (overview->RasterIO(GF_Write, 0, 0, levelSide, levelSide, heights, levelSide, levelSide, GDT_Float32,
                               step * static_cast<GSpacing>(sizeof(float)),
                               step * static_cast<GSpacing>(side) * static_cast<GSpacing>(sizeof(float)),
                               nullptr) != CE_None)
            cannotWrite(file, "its levels cannot be filled");
    }
    written.reset();
    if (CPLGetLastErrorType() >= CE_Failure)
        cannotWrite(file, "the raster library failed");
    unfinished.done = true;
}

} // namespace landscape
