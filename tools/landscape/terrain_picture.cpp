#include "terrain_picture.h"

#include "noise.h"
#include "random.h"
#include "sun.h"

#include "scene/plant_ground.h" // where the viewer lets plants stand

#include <algorithm>
#include <cmath>
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

// One cell of the ground as its cover rule sees it. Heights are in the
// painter's height unit (height steps, or metres); slope is rise over run and
// hollow the mean of four neighbours five cells away less the height, over
// the grid step, both in the same unit across and up.
struct CoverCell {
    float height;
    float slope;
    float hollow;
    float patch; // broad noise, about -1..1
    float grain; // fine noise
    int x, z;
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

// The sun's hill-shading baked into each cell of a cover chosen by rule.
template <typename Cover>
Picture paintGround(const HeightField& field, uint64_t seed, ReliefUnits units, Cover cover)
{
    const uint32_t patchSeed = noiseSeed(seed, kPatchStream);
    const uint32_t grainSeed = noiseSeed(seed, kGrainStream);
    const Vec3 sun = sunDirection();
    const float levelLight = kAmbient + (1.0f - kAmbient) * sun.y;

    Picture picture(field.size, field.size, 3);
    for (int z = 0; z < field.size; ++z) {
        for (int x = 0; x < field.size; ++x) {
            const float h = field.at(x, z);
            const float u = static_cast<float>(x) / static_cast<float>(field.size);
            const float v = static_cast<float>(z) / static_cast<float>(field.size);
            const float patch = tileFbm(patchSeed, u, v, 24, 3);
            const float grain = tileFbm(grainSeed, u, v, 256, 2);

            // The fine gradient shades; a wider one decides the ground cover,
            // so that cover follows the land's form, not its small bumps.
            const float gx = 0.5f * (field.at(x + 1, z) - field.at(x - 1, z)) * units.riseAcross;
            const float gz = 0.5f * (field.at(x, z + 1) - field.at(x, z - 1)) * units.riseAlong;
            const float wideX = (field.at(x + 3, z) - field.at(x - 3, z)) / 6.0f * units.riseAcross;
            const float wideZ = (field.at(x, z + 3) - field.at(x, z - 3)) / 6.0f * units.riseAlong;
            const float slope = std::sqrt(wideX * wideX + wideZ * wideZ);
            // Above zero in hollows and valley floors, below on spurs and tops.
            const float hollow =
                (0.25f * (field.at(x + 5, z) + field.at(x - 5, z) + field.at(x, z + 5) + field.at(x, z - 5)) - h) *
                units.riseMean;

            const Vec3 colour =
                cover(CoverCell{units.atHeight0 + h * units.perHeightStep, slope, hollow, patch, grain, x, z}) *
                (1.0f + 0.06f * grain);
            const Vec3 normal = normalize(Vec3{-gx, 1.0f, -gz});
            const float direct = std::max(0.0f, dot(normal, sun));
            const float occlusion = 1.0f - 0.4f * smoothstep(0.0f, 12.0f, hollow);
            const float light = (kAmbient * occlusion + (1.0f - kAmbient) * direct) / levelLight;
            setRgb(picture, x, z, colour * (light * kBrightness));
        }
    }
    return picture;
}

Vec3 rockColour(const CoverCell& c)
{
    return lerp(kDarkRock, kRock, clamp01(0.5f + 0.8f * c.grain + 0.4f * c.patch));
}

} // namespace

Picture paintTerrain(const HeightField& field, uint64_t seed)
{
    // In height steps: sand on the shore, grass drying with height, rock on
    // slopes and the highest tops, snow just below those.
    return paintGround(field, seed, ReliefUnits{}, [](const CoverCell& c) {
        const float h = c.height;
        Vec3 colour = lerp(kGrass, kLushGrass, clamp01(0.5f + 0.25f * c.hollow + 0.6f * c.patch));
        const float dryness =
            smoothstep(60.0f, 150.0f, h + 40.0f * c.patch) * clamp01(0.7f - 0.2f * c.hollow + 0.8f * c.patch);
        colour = lerp(colour, kDryGrass, dryness);
        colour = lerp(colour, kSand, 1.0f - smoothstep(2.5f, 5.0f, h + 4.0f * c.patch));
        const float rocky = std::max(smoothstep(0.75f, 1.2f, c.slope + 0.25f * c.patch),
                                     smoothstep(175.0f, 215.0f, h + 20.0f * c.patch));
        colour = lerp(colour, rockColour(c), rocky);
        const float snowy =
            smoothstep(172.0f, 192.0f, h + 14.0f * c.patch) * (1.0f - smoothstep(2.2f, 3.2f, c.slope));
        return lerp(colour, kSnow, snowy);
    });
}

double snowLineMetres(double latitude) { return 4500.0 * std::clamp((80.0 - std::fabs(latitude)) / 55.0, 0.0, 1.0); }

double treeLineMetres(double latitude) { return snowLineMetres(latitude) - kTreeLineBelowSnow; }

Picture paintTerrain(const HeightField& field, uint64_t seed, const GroundMetres& metres)
{
    ReliefUnits units;
    units.atHeight0 = static_cast<float>(metres.atHeight0);
    units.perHeightStep = static_cast<float>(metres.perHeightStep);
    units.riseAcross = static_cast<float>(metres.perHeightStep / metres.stepAcross);
    units.riseAlong = static_cast<float>(metres.perHeightStep / metres.stepAlong);
    units.riseMean = static_cast<float>(2.0 * metres.perHeightStep / (metres.stepAcross + metres.stepAlong));
    std::vector<float> snowLine(static_cast<size_t>(field.size));
    for (int z = 0; z < field.size; ++z)
        snowLine[z] = static_cast<float>(snowLineMetres(
            metres.northLatitude + (metres.southLatitude - metres.northLatitude) * (z + 0.5) / field.size));

    const double treesNorth = treeLineMetres(metres.northLatitude);
    const double treesSouth = treeLineMetres(metres.southLatitude);

    // In metres and true slopes: fields in the flat, forest on slopes and in
    // broad tracts up to the tree line, alpine grass turning to bare ground up
    // to the snow line, rock from where the ground is too steep for plants
    // (about 32 degrees) to about 40.
    const uint32_t woodlandSeed = noiseSeed(seed, kWoodlandStream);
    const float size = static_cast<float>(field.size);
    const float steepest = static_cast<float>(kSteepestPlantGround);
    return paintGround(field, seed, units, [&](const CoverCell& c) {
        const float h = c.height;
        const float snow = snowLine[c.z];
        const float trees = static_cast<float>(
            treeLineAt(treesNorth, treesSouth, (c.z + 0.5) * kGeoWorldSide / static_cast<double>(field.size)));
        const float woodland =
            tileFbm(woodlandSeed, static_cast<float>(c.x) / size, static_cast<float>(c.z) / size, 6, 3);
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
    });
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
