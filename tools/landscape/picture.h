// A picture as the generator paints it: rows from the top of the picture down,
// pixels left to right, 3 (RGB) or 4 (RGBA) bytes each. The encoders turn it
// into files that store rows bottom first, as the viewer's readers expect.
#pragma once

#include "vec3.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace landscape {

struct Picture {
    int width = 0;
    int height = 0;
    int channels = 0;            // 3 or 4
    std::vector<uint8_t> pixels; // width × height × channels, top row first

    Picture() = default;
    Picture(int w, int h, int c) : width(w), height(h), channels(c), pixels(static_cast<size_t>(w) * h * c) {}

    uint8_t* at(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
};

// A colour channel in 0..1 as a byte, rounded to nearest.
inline uint8_t toByte(float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); }

inline void setRgb(Picture& picture, int x, int y, Vec3 colour)
{
    uint8_t* p = picture.at(x, y);
    p[0] = toByte(colour.x);
    p[1] = toByte(colour.y);
    p[2] = toByte(colour.z);
}

// The mean of each colour channel, 0..1.
inline Vec3 meanColour(const Picture& picture)
{
    double sum[3] = {0.0, 0.0, 0.0};
    for (size_t i = 0; i < picture.pixels.size(); i += picture.channels)
        for (int c = 0; c < 3; ++c)
            sum[c] += picture.pixels[i + c];
    const double count = 255.0 * picture.width * picture.height;
    return {static_cast<float>(sum[0] / count), static_cast<float>(sum[1] / count),
            static_cast<float>(sum[2] / count)};
}

} // namespace landscape
