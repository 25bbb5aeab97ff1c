#include "terrain_picture.h"

#include "noise.h"
#include "random.h"
#include "sun.h"

#include "scene/plant_ground.h" // where the viewer lets plants stand

#include <algorithm>
#include <array>
#include <cmath>
#include <future>
#include <optional>
#include <vector>

namespace landscape {

namespace {

constexpr uint64_t kPatchStream = 201;
constexpr uint64_t kGrainStream = 202;
constexpr uint64_t kWoodlandStream = 203;

const Vec3 kSand{0.80f, 0.74f, 0.58f};
const Vec3 kGrass{0.40f, 0.48f, 0.25f};
const Vec3 kLushGrass{0.27f, 0.39f, 0.18f};
const Vec3 kDryGrass{0.63f, 0.58f, 0.38f};
const Vec3 kRock{0.56f, 0.53f, 0.49f};
const Vec3 kDarkRock{0.40f, 0.38f, 0.35f};
const Vec3 kSnow{0.97f, 0.98f, 1.0f};

// Share of the sun that reaches ground facing away from it, and the gain that
// brings level ground to full brightness: the picture is multiplied by the
// detail picture (about 0.85 on average) when drawn, so it is painted bright.
constexpr float kAmbient = 0.38f;
constexpr float kBrightness = 1.05f;

// Colours of the real world's cover.
const Vec3 kForest{0.17f, 0.29f, 0.13f};
const Vec3 kDarkForest{0.11f, 0.21f, 0.10f};
const Vec3 kAlpineGrass{0.50f, 0.54f, 0.32f};
const Vec3 kBareGround{0.55f, 0.50f, 0.42f};

// The tree line lies this far below the snow line.
constexpr double kTreeLineBelowSnow = 800.0;

// One point of the ground as its cover rule sees it. Heights are in the
// painter's height unit (height steps, or metres); slope is rise over run and
// hollow the mean of four neighbours five cells away less the height, over
// the grid step, both in the same unit across and up. x and z are in cells.
struct CoverCell {
    float height;
    float slope;
    float hollow;
    float patch; // broad noise, about -1..1
    float grain; // fine noise
    float x, z;
};

// The heights and steps the painter works in: height steps and grid steps for
// a generated or unplaced ground (all factors 1), metres for a placed one.
struct ReliefUnits {
    float atHeight0 = 0.0f;
    float perHeightStep = 1.0f;
    float riseAcross = 1.0f; // height units over grid units, along x
    float riseAlong = 1.0f;  // and along z
    float riseMean = 1.0f;
};

// The heights around a point that its colour is made of: there, and one,
// three and five cells away along x (east, west) and along z (south, north).
struct Around {
    float here;
    float east1, west1, south1, north1;
    float east3, west3, south3, north3;
    float east5, west5, south5, north5;
};

// The sun's hill-shading baked into a cover chosen by rule, at the point
// (x, z) in cells.
template <typename Cover>
Vec3 shadePoint(const Around& a, float patch, float grain, float x, float z, ReliefUnits units, const Cover& cover)
{
    const Vec3 sun = sunDirection();
    const float levelLight = kAmbient + (1.0f - kAmbient) * sun.y;
    const float h = a.here;
    // The fine gradient shades; a wider one decides the ground cover,
    // so that cover follows the land's form, not its small bumps.
    const float gx = 0.5f * (a.east1 - a.west1) * units.riseAcross;
    const float gz = 0.5f * (a.south1 - a.north1) * units.riseAlong;
    const float wideX = (a.east3 - a.west3) / 6.0f * units.riseAcross;
    const float wideZ = (a.south3 - a.north3) / 6.0f * units.riseAlong;
    const float slope = std::sqrt(wideX * wideX + wideZ * wideZ);
    // Above zero in hollows and valley floors, below on spurs and tops.
    const float hollow = (0.25f * (a.east5 + a.west5 + a.south5 + a.north5) - h) * units.riseMean;

    const Vec3 colour =
        cover(CoverCell{units.atHeight0 + h * units.perHeightStep, slope, hollow, patch, grain, x, z}) *
        (1.0f + 0.06f * grain);
    const Vec3 normal = normalize(Vec3{-gx, 1.0f, -gz});
    const float direct = std::max(0.0f, dot(normal, sun));
    const float occlusion = 1.0f - 0.4f * smoothstep(0.0f, 12.0f, hollow);
    const float light = (kAmbient * occlusion + (1.0f - kAmbient) * direct) / levelLight;
    return colour * (light * kBrightness);
}

// One texel a cell, each from its own sample.
template <typename Cover>
Picture paintGround(const HeightField& field, uint64_t seed, ReliefUnits units, const Cover& cover)
{
    const uint32_t patchSeed = noiseSeed(seed, kPatchStream);
    const uint32_t grainSeed = noiseSeed(seed, kGrainStream);
    Picture picture(field.size, field.size, 3);
    for (int z = 0; z < field.size; ++z) {
        for (int x = 0; x < field.size; ++x) {
            const float u = static_cast<float>(x) / static_cast<float>(field.size);
            const float v = static_cast<float>(z) / static_cast<float>(field.size);
            const Around around{field.at(x, z),
                                field.at(x + 1, z), field.at(x - 1, z), field.at(x, z + 1), field.at(x, z - 1),
                                field.at(x + 3, z), field.at(x - 3, z), field.at(x, z + 3), field.at(x, z - 3),
                                field.at(x + 5, z), field.at(x - 5, z), field.at(x, z + 5), field.at(x, z - 5)};
            setRgb(picture, x, z,
                   shadePoint(around, tileFbm(patchSeed, u, v, 24, 3), tileFbm(grainSeed, u, v, 256, 2),
                              static_cast<float>(x), static_cast<float>(z), units, cover));
        }
    }
    return picture;
}

// A noise over the ground, one value a cell, blended between them.
class NoiseGrid {
public:
    NoiseGrid(uint32_t seed, int cells, int octaves) : values_(static_cast<size_t>(kMapSize) * kMapSize)
    {
        for (int z = 0; z < kMapSize; ++z)
            for (int x = 0; x < kMapSize; ++x)
                values_[static_cast<size_t>(z) * kMapSize + x] =
                    tileFbm(seed, static_cast<float>(x) / kMapSize, static_cast<float>(z) / kMapSize, cells, octaves);
    }
    // At (x, z) in cells, wrapping as the noise does; a cell's own value at
    // whole numbers.
    float at(float x, float z) const
    {
        // Whole cells by truncation, cheaper than floor: x and z lie above -kMapSize.
        const int i = static_cast<int>(x + kMapSize) - kMapSize, j = static_cast<int>(z + kMapSize) - kMapSize;
        const float tx = x - static_cast<float>(i), tz = z - static_cast<float>(j);
        const auto value = [&](int a, int b) {
            return values_[static_cast<size_t>(b & (kMapSize - 1)) * kMapSize + (a & (kMapSize - 1))];
        };
        return lerp(lerp(value(i, j), value(i + 1, j), tx), lerp(value(i, j + 1), value(i + 1, j + 1), tx), tz);
    }

private:
    std::vector<float> values_;
};

Vec3 rockColour(const CoverCell& c)
{
    return lerp(kDarkRock, kRock, clamp01(0.5f + 0.8f * c.grain + 0.4f * c.patch));
}

} // namespace

namespace {

// In height steps: sand on the shore, grass drying with height, rock on
// slopes and the highest tops, snow just below those.
Vec3 stepsCover(const CoverCell& c)
{
    const float h = c.height;
    Vec3 colour = lerp(kGrass, kLushGrass, clamp01(0.5f + 0.25f * c.hollow + 0.6f * c.patch));
    const float dryness =
        smoothstep(60.0f, 150.0f, h + 40.0f * c.patch) * clamp01(0.7f - 0.2f * c.hollow + 0.8f * c.patch);
    colour = lerp(colour, kDryGrass, dryness);
    colour = lerp(colour, kSand, 1.0f - smoothstep(2.5f, 5.0f, h + 4.0f * c.patch));
    const float rocky = std::max(smoothstep(0.75f, 1.2f, c.slope + 0.25f * c.patch),
                                 smoothstep(175.0f, 215.0f, h + 20.0f * c.patch));
    colour = lerp(colour, rockColour(c), rocky);
    const float snowy = smoothstep(172.0f, 192.0f, h + 14.0f * c.patch) * (1.0f - smoothstep(2.2f, 3.2f, c.slope));
    return lerp(colour, kSnow, snowy);
}

ReliefUnits metreUnits(const GroundMetres& metres)
{
    ReliefUnits units;
    units.atHeight0 = static_cast<float>(metres.atHeight0);
    units.perHeightStep = static_cast<float>(metres.perHeightStep);
    units.riseAcross = static_cast<float>(metres.perHeightStep / metres.stepAcross);
    units.riseAlong = static_cast<float>(metres.perHeightStep / metres.stepAlong);
    units.riseMean = static_cast<float>(2.0 * metres.perHeightStep / (metres.stepAcross + metres.stepAlong));
    return units;
}

// In metres and true slopes: fields in the flat, forest on slopes and in
// broad tracts up to the tree line, alpine grass turning to bare ground up
// to the snow line, rock from where the ground is too steep for plants
// (about 32 degrees) to about 40.
class MetresCover {
public:
    MetresCover(uint64_t seed, const GroundMetres& metres, int size)
        : metres_(metres), size_(size), woodland_(noiseSeed(seed, kWoodlandStream), 6, 3),
          treesNorth_(treeLineMetres(metres.northLatitude)), treesSouth_(treeLineMetres(metres.southLatitude))
    {
    }

    Vec3 operator()(const CoverCell& c) const
    {
        const float h = c.height;
        const float snow = static_cast<float>(snowLineMetres(
            metres_.northLatitude + (metres_.southLatitude - metres_.northLatitude) * (c.z + 0.5) / size_));
        const float trees = static_cast<float>(
            treeLineAt(treesNorth_, treesSouth_, (c.z + 0.5) * kGeoWorldSide / static_cast<double>(size_)));
        const float woodland = woodland_.at(c.x, c.z);
        const float steepest = static_cast<float>(kSteepestPlantGround);
        Vec3 colour = lerp(kGrass, kLushGrass, clamp01(0.5f + 0.25f * c.hollow + 0.6f * c.patch));
        const Vec3 forest = lerp(kForest, kDarkForest, clamp01(0.5f + 0.5f * c.patch + 0.8f * c.grain));
        const float wooded = smoothstep(0.0f, 0.3f, woodland + 0.3f * c.patch + 2.0f * c.slope - 0.15f) *
                             (1.0f - smoothstep(trees - 250.0f, trees, h + 120.0f * c.patch));
        colour = lerp(colour, forest, wooded);
        const float alpine = smoothstep(trees - 150.0f, trees + 100.0f, h + 120.0f * c.patch);
        const Vec3 high = lerp(kAlpineGrass, kBareGround, smoothstep(trees, snow, h + 150.0f * c.patch));
        colour = lerp(colour, high, alpine * (1.0f - wooded));
        colour = lerp(colour, kSand, 1.0f - smoothstep(1.0f, 4.0f, h + 2.0f * c.patch));
        colour = lerp(colour, rockColour(c), smoothstep(steepest, 0.85f, c.slope + 0.12f * c.patch));
        const float snowy =
            smoothstep(snow - 60.0f, snow + 120.0f, h + 150.0f * c.patch) * (1.0f - smoothstep(0.8f, 1.1f, c.slope));
        return lerp(colour, kSnow, snowy);
    }

private:
    GroundMetres metres_;
    int size_;
    NoiseGrid woodland_; // broad tracts of forest
    double treesNorth_, treesSouth_;
};

} // namespace

Picture paintTerrain(const HeightField& field, uint64_t seed)
{
    return paintGround(field, seed, ReliefUnits{}, stepsCover);
}

double snowLineMetres(double latitude) { return 4500.0 * std::clamp((80.0 - std::fabs(latitude)) / 55.0, 0.0, 1.0); }

double treeLineMetres(double latitude) { return snowLineMetres(latitude) - kTreeLineBelowSnow; }

Picture paintTerrain(const HeightField& field, uint64_t seed, const GroundMetres& metres)
{
    return paintGround(field, seed, metreUnits(metres), MetresCover(seed, metres, field.size));
}

HeightLookup blendedHeights(const HeightField& field)
{
    return [&field](float z, double x0, double step, int count, float* heights) {
        // The line blended between its two rows first, then along it.
        const float top = std::floor(z);
        const float tz = z - top;
        const int j = static_cast<int>(top);
        std::array<float, kMapSize> line;
        const int mask = kMapSize - 1;
        for (int i = 0; i < kMapSize; ++i)
            line[i] = lerp(field.at(i, j), field.at(i, j + 1), tz);
        for (int n = 0; n < count; ++n) {
            // Whole cells by truncation, a call cheaper than floor: x lies above -kMapSize.
            const double x = x0 + n * step + kMapSize;
            const int i = static_cast<int>(x);
            heights[n] = lerp(line[i & mask], line[(i + 1) & mask], static_cast<float>(x - i));
        }
    };
}

struct FinePainter::Work {
    HeightLookup heights;
    int side;
    std::optional<GroundMetres> metres;
    NoiseGrid patch, grain;
    std::optional<MetresCover> metresCover;

    Work(HeightLookup lookup, uint64_t landscapeSeed, const GroundMetres* ground, int pictureSide)
        : heights(std::move(lookup)), side(pictureSide),
          metres(ground ? std::optional<GroundMetres>(*ground) : std::nullopt),
          patch(noiseSeed(landscapeSeed, kPatchStream), 24, 3), grain(noiseSeed(landscapeSeed, kGrainStream), 256, 2)
    {
        if (metres)
            metresCover.emplace(landscapeSeed, *metres, kMapSize);
    }

    // Pixel p's centre, in cells.
    double cellOf(int pixel) const { return (pixel + 0.5) * kMapSize / side - 0.5; }

    // Rows from to to of band, which holds the picture's rows from first down.
    template <typename Cover>
    void paint(const Cover& cover, ReliefUnits units, int first, Picture& band, int from, int to) const
    {
        // Each row's heights along the row's own line (at seven offsets
        // across) and along six lines above and below it.
        const int offsets[] = {0, 1, -1, 3, -3, 5, -5};
        std::vector<float> along[7], across[7];
        for (auto& row : along)
            row.resize(static_cast<size_t>(side));
        for (auto& row : across)
            row.resize(static_cast<size_t>(side));
        const double x0 = cellOf(0), step = static_cast<double>(kMapSize) / side;
        for (int row = from; row < to; ++row) {
            const float z = static_cast<float>(cellOf(first + row));
            for (int k = 0; k < 7; ++k) {
                heights(z, x0 + offsets[k], step, side, along[k].data());
                if (k > 0)
                    heights(z + static_cast<float>(offsets[k]), x0, step, side, across[k].data());
            }
            for (int column = 0; column < side; ++column) {
                const size_t i = static_cast<size_t>(column);
                const Around around{along[0][i], along[1][i], along[2][i], across[1][i], across[2][i],
                                    along[3][i], along[4][i], across[3][i], across[4][i],
                                    along[5][i], along[6][i], across[5][i], across[6][i]};
                const float x = static_cast<float>(x0 + column * step);
                setRgb(band, column, row,
                       shadePoint(around, patch.at(x, z), grain.at(x, z), x, z, units, cover));
            }
        }
    }

    template <typename Cover>
    void paintBand(const Cover& cover, ReliefUnits units, int first, Picture& band) const
    {
        // Two threads, a half of the band each.
        const int half = band.height / 2;
        std::future<void> other =
            std::async(std::launch::async, [&] { paint(cover, units, first, band, half, band.height); });
        paint(cover, units, first, band, 0, half);
        other.get();
    }
};

FinePainter::FinePainter(HeightLookup heights, uint64_t seed, const GroundMetres* metres, int side)
    : work_(std::make_unique<Work>(std::move(heights), seed, metres, side))
{
}

FinePainter::~FinePainter() = default;

void FinePainter::paint(int first, Picture& band) const
{
    if (work_->metresCover)
        work_->paintBand(*work_->metresCover, metreUnits(*work_->metres), first, band);
    else
        work_->paintBand(stepsCover, ReliefUnits{}, first, band);
}

Picture resizedPicture(Picture picture, int side)
{
    if (picture.width == side && picture.height == side)
        return picture;
    const int size = picture.width;
    const int channels = picture.channels;
    Picture resized(side, side, channels);
    const float ratio = static_cast<float>(size) / static_cast<float>(side);
    // Pixel centres line up: pixel p of the new picture sits where (p + 0.5) * ratio - 0.5 of the old one does.
    const auto source = [&](int p, int& low, int& high, float& t) {
        const float at = (static_cast<float>(p) + 0.5f) * ratio - 0.5f;
        const float floor = std::floor(at);
        t = at - floor;
        low = (static_cast<int>(floor) % size + size) % size;
        high = (low + 1) % size;
    };
    for (int y = 0; y < side; ++y) {
        int top, bottom;
        float ty;
        source(y, top, bottom, ty);
        for (int x = 0; x < side; ++x) {
            int left, right;
            float tx;
            source(x, left, right, tx);
            uint8_t* out = resized.at(x, y);
            for (int c = 0; c < channels; ++c) {
                const float upper = lerp(picture.at(left, top)[c], picture.at(right, top)[c], tx);
                const float lower = lerp(picture.at(left, bottom)[c], picture.at(right, bottom)[c], tx);
                out[c] = static_cast<uint8_t>(std::lround(lerp(upper, lower, ty)));
            }
        }
    }
    return resized;
}

} // namespace landscape
