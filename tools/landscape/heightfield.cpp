#include "heightfield.h"

#include "erosion.h"
#include "noise.h"
#include "random.h"
#include "vec3.h"

#include <algorithm>
#include <cmath>

namespace landscape {

namespace {

// Erosion runs on a coarser grid, four world units per cell: the viewer's mesh
// samples every eighth height, so finer valleys would only show in the
// picture, and the coarse grid lets enough droplets run within the second
// that generation may take.
constexpr int kWorkSize = kMapSize / 4;
constexpr float kWorkCell = static_cast<float>(kMapSize) / static_cast<float>(kWorkSize);

// Steepest slope that thermal erosion leaves standing, as a drop per working
// cell in the 0..1 relief: about two world units up per unit across, once the
// relief is stretched over the byte range.
constexpr float kMaxDrop = 2.0f * kWorkCell / 255.0f;

// Streams of the landscape seed that the heights draw from.
enum Stream : uint64_t {
    kWarpU = 101,
    kWarpV,
    kRolling,
    kRidges,
    kMountains,
    kPlains,
    kRidgeLine,
    kErosion,
    kDetail,
    kBeach,
    kShore,
};

float wrappedDistance(float ax, float az, float bx, float bz)
{
    const float period = static_cast<float>(kMapSize);
    float dx = std::fabs(ax - bx);
    float dz = std::fabs(az - bz);
    dx = std::min(dx, period - dx);
    dz = std::min(dz, period - dz);
    return std::sqrt(dx * dx + dz * dz);
}

// Rolling hills, ridged mountain groups and a few plains, in 0..1. A ridge
// crosses the start view 250-350 units ahead (+x), winding and rising and
// falling along its length, so that the first view has hills to look at.
std::vector<float> shapeRelief(uint64_t seed)
{
    const uint32_t warpU = noiseSeed(seed, kWarpU);
    const uint32_t warpV = noiseSeed(seed, kWarpV);
    const uint32_t rolling = noiseSeed(seed, kRolling);
    const uint32_t ridges = noiseSeed(seed, kRidges);
    const uint32_t mountains = noiseSeed(seed, kMountains);
    const uint32_t plains = noiseSeed(seed, kPlains);
    const uint32_t ridgeLine = noiseSeed(seed, kRidgeLine);
    const float startZ = static_cast<float>(kStartZ);

    std::vector<float> h(kWorkSize * kWorkSize);
    for (int j = 0; j < kWorkSize; ++j) {
        for (int i = 0; i < kWorkSize; ++i) {
            const float u = static_cast<float>(i) / kWorkSize;
            const float v = static_cast<float>(j) / kWorkSize;
            // Warping the domain bends the ridges out of the lattice's grain.
            const float wu = u + 0.08f * tileFbm(warpU, u, v, 3, 3);
            const float wv = v + 0.08f * tileFbm(warpV, u, v, 3, 3);
            const float hills = tileFbm(rolling, wu, wv, 3, 6, 0.45f);
            const float crests = tileRidged(ridges, wu, wv, 4, 4);
            const float mountainous = smoothstep(-0.25f, 0.35f, tileFbm(mountains, u, v, 2, 3));
            const float flat = smoothstep(0.15f, 0.4f, tileFbm(plains, u, v, 2, 3)) * (1.0f - mountainous);

            const float x = u * kMapSize;
            const float z = v * kMapSize;
            const float crestX = 800.0f + 70.0f * tileFbm(ridgeLine, v, 0.5f, 3, 2);
            const float across = (x - crestX) / 90.0f;
            const float along = 1.0f - smoothstep(150.0f, 380.0f, std::fabs(z - startZ));
            const float ahead = std::exp(-across * across) * along;

            float height = 0.40f + 0.45f * hills + (0.55f * mountainous + 0.5f * ahead) * (crests - 0.25f);
            height = lerp(height, 0.3f + 0.12f * hills, 0.85f * flat);
            h[j * kWorkSize + i] = height;
        }
    }

    const auto [low, high] = std::minmax_element(h.begin(), h.end());
    const float lo = *low;
    const float span = *high - lo;
    // The power widens the valleys and sharpens the tops, as erosion would.
    for (float& height : h)
        height = std::pow((height - lo) / span, 1.15f);
    return h;
}

// Shapes the places the viewer relies on before the water runs, so that
// erosion carves them like the rest of the land.
void shapeSites(std::vector<float>& h, uint64_t seed)
{
    const uint32_t shore = noiseSeed(seed, kShore);
    const float startX = static_cast<float>(kStartX);
    const float startZ = static_cast<float>(kStartZ);
    for (int j = 0; j < kWorkSize; ++j) {
        for (int i = 0; i < kWorkSize; ++i) {
            const float x = static_cast<float>(i) * kWorkCell;
            const float z = static_cast<float>(j) * kWorkCell;
            float& height = h[j * kWorkSize + i];

            // The start site lies on a broad valley floor near its final height.
            const float fromStart = std::hypot(x - startX, z - startZ);
            const float floorLevel = kStartGroundHeight / 255.0f;
            const float floor = floorLevel + 0.2f * std::max(0.0f, height - floorLevel);
            height = lerp(height, floor, 1.0f - smoothstep(50.0f, 170.0f, fromStart));

            // A low shore with a ragged line around the origin, where the
            // origin palm stands.
            const float fromOrigin =
                wrappedDistance(x, z, 0.0f, 0.0f) + 45.0f * tileFbm(shore, x / kMapSize, z / kMapSize, 8, 2);
            height = lerp(height, 0.004f, 1.0f - smoothstep(20.0f, 110.0f, fromOrigin));
        }
    }
}

// Catmull-Rom weights for a sample halfway between two grid points.
float halfway(float a, float b, float c, float d) { return (-a + 9.0f * b + 9.0f * c - d) * (1.0f / 16.0f); }

// Doubles the grid in both directions, keeping the original samples and
// wrapping at the edges.
std::vector<float> upsample(const std::vector<float>& src, int size)
{
    const int mask = size - 1;
    const int out = size * 2;
    std::vector<float> rows(static_cast<size_t>(out) * size);
    for (int j = 0; j < size; ++j) {
        const float* row = &src[j * size];
        for (int i = 0; i < size; ++i) {
            rows[j * out + 2 * i] = row[i];
            rows[j * out + 2 * i + 1] =
                halfway(row[(i - 1) & mask], row[i], row[(i + 1) & mask], row[(i + 2) & mask]);
        }
    }
    std::vector<float> result(static_cast<size_t>(out) * out);
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < out; ++i) {
            result[(2 * j) * out + i] = rows[j * out + i];
            result[(2 * j + 1) * out + i] =
                halfway(rows[((j - 1) & mask) * out + i], rows[j * out + i], rows[((j + 1) & mask) * out + i],
                        rows[((j + 2) & mask) * out + i]);
        }
    }
    return result;
}

// Maps the relief onto the byte range: the lowest few cells to 0, the highest
// top just short of 255 so that rounding never clips it.
void stretchToByteRange(std::vector<float>& h)
{
    std::vector<float> sorted(h);
    const size_t lowIndex = sorted.size() / 400;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(lowIndex), sorted.end());
    const float lo = sorted[lowIndex];
    const float hi = *std::max_element(h.begin(), h.end());
    const float scale = 252.0f / (hi - lo);
    for (float& height : h)
        height = std::max(0.0f, (height - lo) * scale);
}

// Fine relief that erosion's grid is too coarse for: it shows only in the
// terrain picture's shading, most on the steep ground.
void addFineDetail(HeightField& field, uint64_t seed)
{
    const uint32_t detail = noiseSeed(seed, kDetail);
    for (int z = 0; z < kMapSize; ++z) {
        for (int x = 0; x < kMapSize; ++x) {
            const float u = static_cast<float>(x) / kMapSize;
            const float v = static_cast<float>(z) / kMapSize;
            field.heights[z * kMapSize + x] += 0.6f * tileFbm(detail, u, v, 64, 3);
        }
    }
}

// Puts the start cell at its height exactly, moving the land around it
// with it so that no step appears.
void settleStartSite(HeightField& field)
{
    const float shift = kStartGroundHeight - field.at(kStartX, kStartZ);
    for (int z = 0; z < kMapSize; ++z) {
        for (int x = 0; x < kMapSize; ++x) {
            const float r = std::hypot(static_cast<float>(x - kStartX), static_cast<float>(z - kStartZ));
            field.heights[z * kMapSize + x] += shift * (1.0f - smoothstep(40.0f, 200.0f, r));
        }
    }
}

// A shore of heights 1..2 near the origin, blending into the land around it.
void settleOriginBeach(HeightField& field, uint64_t seed)
{
    const uint32_t ripples = noiseSeed(seed, kBeach);
    const float reach = kOriginBeachRadius + 60.0f;
    for (int z = 0; z < kMapSize; ++z) {
        for (int x = 0; x < kMapSize; ++x) {
            const float r = wrappedDistance(static_cast<float>(x), static_cast<float>(z), 0.0f, 0.0f);
            if (r >= reach)
                continue;
            const float u = static_cast<float>(x) / kMapSize;
            const float v = static_cast<float>(z) / kMapSize;
            const float shore = 1.5f + 0.7f * tileFbm(ripples, u, v, 64, 2);
            float& height = field.heights[z * kMapSize + x];
            height = lerp(height, shore, 1.0f - smoothstep(kOriginBeachRadius, reach, r));
        }
    }
}

} // namespace

HeightField generateHeightField(uint64_t seed)
{
    std::vector<float> work = shapeRelief(seed);
    shapeSites(work, seed);

    // Slow deposition and some inertia let the water cut long gullies down
    // the slopes instead of filling every hollow with fans of sediment.
    ErosionSettings erosion;
    erosion.droplets = 80000;
    erosion.maxSteps = 48;
    erosion.inertia = 0.3f;
    erosion.capacity = 3.0f;
    erosion.erodeRate = 0.3f;
    erosion.depositRate = 0.02f;
    erosion.evaporation = 0.03f;
    erosion.radius = 2;
    erodeWithDroplets(work, kWorkSize, streamSeed(seed, kErosion), erosion);
    relaxSlopes(work, kWorkSize, kMaxDrop, 12);

    HeightField field;
    field.size = kMapSize;
    field.heights = upsample(upsample(work, kWorkSize), kWorkSize * 2);
    stretchToByteRange(field.heights);
    addFineDetail(field, seed);
    settleStartSite(field);
    settleOriginBeach(field, seed);
    for (float& height : field.heights)
        height = std::clamp(height, 0.0f, 255.0f);
    return field;
}

std::vector<uint8_t> heightBytes(const HeightField& field)
{
    std::vector<uint8_t> bytes(field.heights.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(std::lround(field.heights[i]));
    }
    return bytes;
}

} // namespace landscape
