#include "terrain_picture.h"

#include "noise.h"
#include "random.h"
#include "sun.h"

#include <algorithm>
#include <cmath>

namespace landscape {

namespace {

constexpr uint64_t kPatchStream = 201;
constexpr uint64_t kGrainStream = 202;

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

} // namespace

Picture paintTerrain(const HeightField& field, uint64_t seed)
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
            const float gx = 0.5f * (field.at(x + 1, z) - field.at(x - 1, z));
            const float gz = 0.5f * (field.at(x, z + 1) - field.at(x, z - 1));
            const float wideX = (field.at(x + 3, z) - field.at(x - 3, z)) / 6.0f;
            const float wideZ = (field.at(x, z + 3) - field.at(x, z - 3)) / 6.0f;
            const float slope = std::sqrt(wideX * wideX + wideZ * wideZ);
            // Above zero in hollows and valley floors, below on spurs and tops.
            const float hollow =
                0.25f * (field.at(x + 5, z) + field.at(x - 5, z) + field.at(x, z + 5) + field.at(x, z - 5)) - h;

            Vec3 colour = lerp(kGrass, kLushGrass, clamp01(0.5f + 0.25f * hollow + 0.6f * patch));
            const float dryness =
                smoothstep(60.0f, 150.0f, h + 40.0f * patch) * clamp01(0.7f - 0.2f * hollow + 0.8f * patch);
            colour = lerp(colour, kDryGrass, dryness);
            colour = lerp(colour, kSand, 1.0f - smoothstep(2.5f, 5.0f, h + 4.0f * patch));
            const Vec3 rock = lerp(kDarkRock, kRock, clamp01(0.5f + 0.8f * grain + 0.4f * patch));
            const float rocky = std::max(smoothstep(0.75f, 1.2f, slope + 0.25f * patch),
                                         smoothstep(175.0f, 215.0f, h + 20.0f * patch));
            colour = lerp(colour, rock, rocky);
            const float snowy =
                smoothstep(172.0f, 192.0f, h + 14.0f * patch) * (1.0f - smoothstep(2.2f, 3.2f, slope));
            colour = lerp(colour, kSnow, snowy);
            colour = colour * (1.0f + 0.06f * grain);

            const Vec3 normal = normalize(Vec3{-gx, 1.0f, -gz});
            const float direct = std::max(0.0f, dot(normal, sun));
            const float occlusion = 1.0f - 0.4f * smoothstep(0.0f, 12.0f, hollow);
            const float light = (kAmbient * occlusion + (1.0f - kAmbient) * direct) / levelLight;
            setRgb(picture, x, z, colour * (light * kBrightness));
        }
    }
    return picture;
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
