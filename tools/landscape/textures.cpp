#include "textures.h"

#include "noise.h"
#include "random.h"

#include <algorithm>
#include <cmath>

namespace landscape {

namespace {

enum Stream : uint64_t {
    kDetailCoarse = 401,
    kDetailFine,
    kWingVeins,
    kBarkFibre,
    kBarkRings,
    kFrondStreaks,
    kBladeStreaks,
};

constexpr int kDetailSize = 256;
constexpr int kSpriteSize = 128;
constexpr int kBarkSize = 128;
constexpr int kLeafSize = 64;

// Texture coordinates of a texel centre in a picture painted top row first,
// as the viewer maps them (the BMP's bottom row is t = 0).
float texelS(int column, int width) { return (static_cast<float>(column) + 0.5f) / static_cast<float>(width); }
float texelT(int row, int height) { return 1.0f - (static_cast<float>(row) + 0.5f) / static_cast<float>(height); }

// Signed distance-like measure to an ellipse: negative inside, about the
// distance in units of the smaller radius near the outline.
float ellipse(float x, float y, float cx, float cy, float rx, float ry, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float dx = x - cx;
    const float dy = y - cy;
    const float ex = (c * dx + s * dy) / rx;
    const float ey = (-s * dx + c * dy) / ry;
    return (std::sqrt(ex * ex + ey * ey) - 1.0f) * std::min(rx, ry);
}

// Union of two such shapes with a rounded fillet where they meet, so the
// wing's parts grow into one outline.
float smoothUnion(float a, float b)
{
    constexpr float k = 0.06f;
    const float h = clamp01(0.5f + 0.5f * (b - a) / k);
    return lerp(b, a, h) - k * h * (1.0f - h);
}

} // namespace

Picture paintDetail(uint64_t seed)
{
    const uint32_t coarse = noiseSeed(seed, kDetailCoarse);
    const uint32_t fine = noiseSeed(seed, kDetailFine);
    Picture picture(kDetailSize, kDetailSize, 3);
    for (int y = 0; y < kDetailSize; ++y) {
        for (int x = 0; x < kDetailSize; ++x) {
            const float u = static_cast<float>(x) / kDetailSize;
            const float v = static_cast<float>(y) / kDetailSize;
            // Lattices that repeat across the picture make it tile: mottling
            // 8 to 32 texels across, grit of two to four texels, and a few
            // darker specks where the grit peaks.
            const float clods = tileFbm(coarse, u, v, 8, 3);
            const float grit = tileFbm(fine, u, v, 64, 2);
            const float value = 0.85f + 0.09f * clods + 0.07f * grit - 0.05f * smoothstep(0.35f, 0.6f, grit);
            setRgb(picture, x, y, Vec3{value, value * 0.99f, value * 0.95f});
        }
    }
    return picture;
}

Picture paintPhotoDetail(uint64_t seed)
{
    const uint32_t fine = noiseSeed(seed, kDetailFine);
    Picture picture(kDetailSize, kDetailSize, 3);
    for (int y = 0; y < kDetailSize; ++y) {
        for (int x = 0; x < kDetailSize; ++x) {
            const float grit =
                tileFbm(fine, static_cast<float>(x) / kDetailSize, static_cast<float>(y) / kDetailSize, 64, 2);
            const float value = 0.985f + 0.015f * clamp01(0.5f + grit);
            setRgb(picture, x, y, Vec3{value, value, value});
        }
    }
    return picture;
}

Picture paintWingSprite(uint64_t seed)
{
    const uint32_t veins = noiseSeed(seed, kWingVeins);
    const Vec3 orange{0.96f, 0.55f, 0.12f};
    const Vec3 deepOrange{0.80f, 0.33f, 0.06f};
    const Vec3 border{0.10f, 0.07f, 0.05f};
    const Vec3 spot{0.98f, 0.96f, 0.90f};
    Picture picture(kSpriteSize, kSpriteSize, 4);
    for (int y = 0; y < kSpriteSize; ++y) {
        for (int x = 0; x < kSpriteSize; ++x) {
            // a: distance out from the body (the right edge), b: along the body.
            const float a = 1.0f - texelS(x, kSpriteSize);
            const float b = texelT(y, kSpriteSize);
            const float fore = ellipse(a, b, 0.50f, 0.34f, 0.45f, 0.25f, -0.35f);
            const float hind = ellipse(a, b, 0.33f, 0.70f, 0.29f, 0.22f, 0.25f);
            const float root = ellipse(a, b, 0.08f, 0.50f, 0.065f, 0.26f, 0.0f);
            const float inside = smoothUnion(smoothUnion(fore, hind), root);

            // Veins fan out from the root at the body.
            const float angle = std::atan2(b - 0.5f, a + 0.05f);
            const float wobble = 0.15f * tileFbm(veins, a, b, 4, 2);
            const float vein = smoothstep(0.80f, 0.97f, std::fabs(std::sin(7.0f * angle + wobble)));
            Vec3 colour = lerp(orange, deepOrange, clamp01(1.2f * (0.45f - a)) + 0.3f * vein);
            colour = lerp(colour, border, smoothstep(-0.055f, -0.035f, inside));
            // A row of pale spots in the dark border near the tip.
            const float spotRing = std::fabs(inside + 0.022f);
            const float spots = smoothstep(0.012f, 0.004f, spotRing) *
                                smoothstep(0.55f, 0.9f, std::fabs(std::sin(38.0f * angle))) *
                                smoothstep(0.45f, 0.6f, a);
            colour = lerp(colour, spot, spots);

            // Soft edge over about two texels; outside it alpha is exactly 0.
            const float alpha = 1.0f - smoothstep(-0.012f, 0.004f, inside);
            uint8_t* p = picture.at(x, y);
            // Transparent texels keep the border's colour, so that filtering
            // and mipmaps darken the edge instead of mixing in black or white.
            const Vec3 shown = alpha > 0.0f ? colour : border;
            p[0] = toByte(shown.x);
            p[1] = toByte(shown.y);
            p[2] = toByte(shown.z);
            p[3] = toByte(alpha);
        }
    }
    return picture;
}

Picture paintBark(uint64_t seed)
{
    const uint32_t fibre = noiseSeed(seed, kBarkFibre);
    const uint32_t rings = noiseSeed(seed, kBarkRings);
    const Vec3 bark{0.56f, 0.48f, 0.38f};
    const Vec3 groove{0.24f, 0.20f, 0.16f};
    Picture picture(kBarkSize, kBarkSize, 3);
    for (int y = 0; y < kBarkSize; ++y) {
        for (int x = 0; x < kBarkSize; ++x) {
            const float s = texelS(x, kBarkSize);
            const float t = texelT(y, kBarkSize);
            const float wave = 0.03f * tileFbm(rings, s, t, 4, 2);
            const float ring = 4.0f * t + wave - std::floor(4.0f * t + wave);
            // Each ring is a scale that brightens upwards and ends in a groove.
            Vec3 colour = bark * (0.7f + 0.35f * ring + 0.12f * tileFbm(fibre, s, t, 16, 3));
            colour = lerp(colour, groove, smoothstep(0.88f, 0.97f, ring));
            const float sunSide = 0.5f + 0.5f * std::cos(2.0f * kPi * s);
            setRgb(picture, x, y, colour * (0.5f + 0.62f * sunSide));
        }
    }
    return picture;
}

Picture paintFronds(uint64_t seed, FrondTint tint)
{
    const uint32_t streaks = noiseSeed(seed, kFrondStreaks);
    Vec3 base{0.16f, 0.34f, 0.10f};
    Vec3 tip{0.36f, 0.55f, 0.18f};
    if (tint == FrondTint::Pale) {
        base = {0.30f, 0.42f, 0.13f};
        tip = {0.62f, 0.64f, 0.28f};
    } else if (tint == FrondTint::Dark) {
        base = {0.09f, 0.26f, 0.09f};
        tip = {0.22f, 0.42f, 0.14f};
    }
    const Vec3 dryTip{0.62f, 0.55f, 0.30f};
    Picture picture(kLeafSize, kLeafSize, 3);
    for (int y = 0; y < kLeafSize; ++y) {
        for (int x = 0; x < kLeafSize; ++x) {
            const float light = texelS(x, kLeafSize);
            const float along = texelT(y, kLeafSize);
            Vec3 colour = lerp(base, tip, along);
            colour = lerp(colour, dryTip, 0.6f * smoothstep(0.85f, 1.0f, along));
            colour = colour * (1.0f + 0.08f * tileFbm(streaks, light, along, 8, 2));
            setRgb(picture, x, y, colour * (0.42f + 0.75f * light));
        }
    }
    return picture;
}

Picture paintBlades(uint64_t seed)
{
    const uint32_t streaks = noiseSeed(seed, kBladeStreaks);
    const Vec3 root{0.20f, 0.28f, 0.10f};
    const Vec3 blade{0.38f, 0.56f, 0.18f};
    const Vec3 tip{0.66f, 0.68f, 0.34f};
    Picture picture(kLeafSize, kLeafSize, 3);
    for (int y = 0; y < kLeafSize; ++y) {
        for (int x = 0; x < kLeafSize; ++x) {
            const float light = texelS(x, kLeafSize);
            const float along = texelT(y, kLeafSize);
            Vec3 colour = lerp(root, blade, smoothstep(0.0f, 0.45f, along));
            colour = lerp(colour, tip, smoothstep(0.7f, 1.0f, along));
            colour = colour * (1.0f + 0.07f * tileFbm(streaks, light, along, 8, 2));
            setRgb(picture, x, y, colour * (0.45f + 0.7f * light));
        }
    }
    return picture;
}

} // namespace landscape
