#include "sky.h"

#include "noise.h"
#include "random.h"
#include "sun.h"

#include "assets/data_files.h"
#include "terrain/fog.h"

#include <algorithm>
#include <cmath>

namespace landscape {

namespace {

// The box around the eye: centred (+500, 0, +500) from it, 9000 on a side.
constexpr float kSide = 9000.0f;
constexpr float kX0 = 500.0f - 0.5f * kSide;
constexpr float kX1 = kX0 + kSide;
constexpr float kY0 = -0.5f * kSide;
constexpr float kY1 = kY0 + kSide;
constexpr float kZ0 = 500.0f - 0.5f * kSide;
constexpr float kZ1 = kZ0 + kSide;

constexpr uint64_t kCloudStream = 301;
constexpr uint64_t kHillStream = 302;

// Azimuth steps per ring of hills; the rings are read with linear
// interpolation, so silhouettes stay smooth at any face resolution.
constexpr int kRingSteps = 4096;

// Lattice period for the sky's noise: far beyond any coordinate it is given,
// so nothing repeats in view.
constexpr int kOpenPeriod = 1 << 16;

const Vec3 kZenith{0.20f, 0.39f, 0.76f};
const Vec3 kHorizon{0.74f, 0.83f, 0.92f};
const Vec3 kSunlight{1.0f, 0.86f, 0.62f};
const Vec3 kGround{0.20f, 0.24f, 0.15f};
const Vec3 kNadir{0.11f, 0.13f, 0.09f};

// An open horizon's haze: the viewer's fog colour, up to about 9 degrees.
const Vec3 kHaze{kFogColour[0], kFogColour[1], kFogColour[2]};
constexpr float kHazeReach = 0.16f; // of the direction's upward component

struct HillRange {
    float base;      // radians above the horizon at the lowest point
    float amplitude; // radians of rise above the base
    float features;  // noise cells around the horizon
    Vec3 colour;     // at the crest; lower down it darkens towards kGround
};

// Far, middle and near: the farther, the higher it may reach, the paler and
// bluer it is in the haze.
const HillRange kRanges[] = {
    {0.050f, 0.160f, 6.0f, {0.60f, 0.68f, 0.77f}},
    {0.025f, 0.110f, 11.0f, {0.46f, 0.56f, 0.60f}},
    {0.008f, 0.060f, 19.0f, {0.33f, 0.43f, 0.32f}},
};

float fbmOpen(uint32_t seed, float x, float y, int octaves)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * gradientNoise(seed + static_cast<uint32_t>(o) * 0x9E3779B9u, x, y, kOpenPeriod);
        norm += amplitude;
        amplitude *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
    }
    return sum / norm;
}

float ringHeight(const std::vector<float>& ring, float azimuth)
{
    float position = azimuth / (2.0f * kPi) * kRingSteps;
    position -= std::floor(position / kRingSteps) * kRingSteps;
    const int i = static_cast<int>(position) % kRingSteps;
    const float f = position - std::floor(position);
    return lerp(ring[i], ring[(i + 1) % kRingSteps], f);
}

Vec3 skyGradient(float up) { return lerp(kHorizon, kZenith, std::pow(std::max(up, 0.0f), 0.5f)); }

// The glow around the sun, as light added to the sky.
float sunGlow(float cosAngle)
{
    const float c = std::max(cosAngle, 0.0f);
    return 0.6f * std::pow(c, 600.0f) + 0.25f * std::pow(c, 24.0f) + 0.1f * std::pow(c, 4.0f);
}

// The sun's disc, about a degree across.
float sunDisc(float cosAngle) { return smoothstep(0.99985f, 0.99993f, cosAngle); }

} // namespace

const std::array<SkyFaceLayout, kSkyFaceCount>& skyFaceLayouts()
{
    // Read off the viewer's face table: the corner with (s, t) = (0, 0) and
    // the directions in which s and t grow on each face.
    static const std::array<SkyFaceLayout, kSkyFaceCount> layouts = [] {
        const auto at = [](const SkyCornerPattern& p) {
            return Vec3{p.x ? kX1 : kX0, p.y ? kY1 : kY0, p.z ? kZ1 : kZ0};
        };
        std::array<SkyFaceLayout, kSkyFaceCount> table{};
        for (const SkyFacePattern& face : kSkyFacePatterns) {
            SkyFaceLayout& layout = table[size_t(face.texture)];
            layout.fileName = dataFileName(skyFaceFile(face.texture));
            Vec3 sEnd, tEnd;
            for (const SkyCornerPattern& corner : face.corners) {
                if (corner.s == 0 && corner.t == 0)
                    layout.corner = at(corner);
                else if (corner.t == 0)
                    sEnd = at(corner);
                else if (corner.s == 0)
                    tEnd = at(corner);
            }
            layout.sAxis = sEnd - layout.corner;
            layout.tAxis = tEnd - layout.corner;
        }
        return table;
    }();
    return layouts;
}

Vec3 skyDirection(const SkyFaceLayout& face, float s, float t)
{
    return normalize(face.corner + face.sAxis * s + face.tAxis * t);
}

SkyScene makeSkyScene(uint64_t seed, SkyHorizon horizon)
{
    SkyScene scene;
    scene.cloudSeed = noiseSeed(seed, kCloudStream);
    scene.horizon = horizon;
    if (horizon == SkyHorizon::Open)
        return scene;
    const uint32_t hillSeed = noiseSeed(seed, kHillStream);
    uint32_t rangeSeed = hillSeed;
    for (const HillRange& range : kRanges) {
        std::vector<float> ring(kRingSteps);
        for (int i = 0; i < kRingSteps; ++i) {
            // Noise read around a circle closes on itself after one turn.
            const float azimuth = 2.0f * kPi * static_cast<float>(i) / kRingSteps;
            const float radius = range.features / (2.0f * kPi);
            const float n =
                fbmOpen(rangeSeed, 100.0f + radius * std::cos(azimuth), 100.0f + radius * std::sin(azimuth), 5);
            ring[i] = range.base + range.amplitude * clamp01(0.5f + 0.9f * n);
        }
        scene.hillRanges.push_back(std::move(ring));
        rangeSeed += 0x51ED270Bu;
    }
    return scene;
}

Vec3 skyColour(const SkyScene& scene, Vec3 direction)
{
    const Vec3 sun = sunDirection();
    const float up = direction.y;
    const bool open = scene.horizon == SkyHorizon::Open;
    if (open && up <= 0.0f)
        return kHaze;
    const float towardsSun = dot(direction, sun);
    const float glow = sunGlow(towardsSun);
    Vec3 colour = skyGradient(up) + kSunlight * glow;

    if (up > 0.0f) {
        // Clouds on a flat layer overhead: seen nearer the horizon, the layer
        // is farther away, so its features shrink and thin out.
        const float reach = 1.6f / (up + 0.12f);
        const float n = fbmOpen(scene.cloudSeed, direction.x * reach, direction.z * reach, 5);
        const float density = smoothstep(0.0f, 0.4f, n + 0.08f) * smoothstep(0.0f, 0.18f, up);
        const float body = lerp(0.98f, 0.74f, smoothstep(0.2f, 0.75f, n));
        // Clouds stay short of full white, which is the sun's alone.
        Vec3 cloud = Vec3{body, body, body * 1.02f} + kSunlight * (0.5f * glow);
        cloud = {std::min(cloud.x, 0.96f), std::min(cloud.y, 0.96f), std::min(cloud.z, 0.96f)};
        colour = lerp(colour, cloud, 0.92f * density);
    }
    // The disc shines through thin cloud.
    colour = colour + Vec3{1.0f, 1.0f, 1.0f} * (3.0f * sunDisc(towardsSun));
    if (open)
        return lerp(kHaze, colour, smoothstep(0.0f, kHazeReach, up));

    const float elevation = std::asin(std::clamp(up, -1.0f, 1.0f));
    const float azimuth = std::atan2(direction.z, direction.x);
    // A fraction of a texel's angle, so the crests are smooth, not stepped.
    const float soft = 0.0012f;
    for (size_t k = 0; k < scene.hillRanges.size(); ++k) {
        const float crest = ringHeight(scene.hillRanges[k], azimuth);
        const float cover = smoothstep(crest + soft, crest - soft, elevation);
        if (cover <= 0.0f)
            continue;
        const Vec3 hill = lerp(kRanges[k].colour, kGround, smoothstep(0.0f, 0.25f, crest - elevation));
        colour = lerp(colour, hill, cover);
    }
    if (elevation < 0.0f)
        colour = lerp(colour, kNadir, smoothstep(0.0f, 1.2f, -elevation));
    return colour;
}

Picture paintSkyFace(const SkyScene& scene, const SkyFaceLayout& face, int size)
{
    Picture picture(size, size, 3);
    const float last = static_cast<float>(size - 1);
    for (int j = 0; j < size; ++j) {
        const float t = 1.0f - static_cast<float>(j) / last;
        for (int i = 0; i < size; ++i) {
            const float s = static_cast<float>(i) / last;
            setRgb(picture, i, j, skyColour(scene, skyDirection(face, s, t)));
        }
    }
    return picture;
}

} // namespace landscape
