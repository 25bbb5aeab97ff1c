#include "noise.h"

#include <cmath>

namespace landscape {

namespace {

uint32_t hashCell(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = seed ^ (x * 0x8DA6B343u) ^ (y * 0xD8163841u);
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// Sixteen unit gradients, evenly spaced, so no direction is favoured.
constexpr float kGradients[16][2] = {
    {1.0f, 0.0f},  {0.92388f, 0.38268f},   {0.70711f, 0.70711f},   {0.38268f, 0.92388f},
    {0.0f, 1.0f},  {-0.38268f, 0.92388f},  {-0.70711f, 0.70711f},  {-0.92388f, 0.38268f},
    {-1.0f, 0.0f}, {-0.92388f, -0.38268f}, {-0.70711f, -0.70711f}, {-0.38268f, -0.92388f},
    {0.0f, -1.0f}, {0.38268f, -0.92388f},  {0.70711f, -0.70711f},  {0.92388f, -0.38268f},
};

int wrapIndex(int i, int period)
{
    const int r = i % period;
    return r < 0 ? r + period : r;
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float corner(uint32_t seed, int cx, int cy, float dx, float dy)
{
    const float* g = kGradients[hashCell(static_cast<uint32_t>(cx), static_cast<uint32_t>(cy), seed) & 15u];
    return g[0] * dx + g[1] * dy;
}

uint32_t octaveSeed(uint32_t seed, int octave) { return seed + static_cast<uint32_t>(octave) * 0x9E3779B9u; }

} // namespace

float gradientNoise(uint32_t seed, float x, float y, int period)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float dx = x - fx;
    const float dy = y - fy;
    const int x0 = wrapIndex(ix, period);
    const int y0 = wrapIndex(iy, period);
    const int x1 = x0 + 1 == period ? 0 : x0 + 1;
    const int y1 = y0 + 1 == period ? 0 : y0 + 1;

    const float n00 = corner(seed, x0, y0, dx, dy);
    const float n10 = corner(seed, x1, y0, dx - 1.0f, dy);
    const float n01 = corner(seed, x0, y1, dx, dy - 1.0f);
    const float n11 = corner(seed, x1, y1, dx - 1.0f, dy - 1.0f);
    const float u = fade(dx);
    const float v = fade(dy);
    const float a = n00 + (n10 - n00) * u;
    const float b = n01 + (n11 - n01) * u;
    // Gradient noise of unit gradients peaks near 0.7; scale it towards [-1, 1].
    return 1.4f * (a + (b - a) * v);
}

float tileFbm(uint32_t seed, float u, float v, int cells, int octaves, float gain)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    int period = cells;
    for (int o = 0; o < octaves; ++o) {
        const float scale = static_cast<float>(period);
        sum += amplitude * gradientNoise(octaveSeed(seed, o), u * scale, v * scale, period);
        norm += amplitude;
        amplitude *= gain;
        period *= 2;
    }
    return sum / norm;
}

float tileRidged(uint32_t seed, float u, float v, int cells, int octaves)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    float weight = 1.0f;
    int period = cells;
    for (int o = 0; o < octaves; ++o) {
        const float scale = static_cast<float>(period);
        float ridge = 1.0f - std::fabs(gradientNoise(octaveSeed(seed, o), u * scale, v * scale, period));
        ridge *= ridge;
        sum += amplitude * ridge * weight;
        norm += amplitude;
        weight = ridge < 1.0f ? ridge : 1.0f;
        amplitude *= 0.5f;
        period *= 2;
    }
    return sum / norm;
}

} // namespace landscape
