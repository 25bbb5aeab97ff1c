// The terrain picture must lie on the ground the right way round. The viewer
// gives the ground vertex (x, z) the texture coordinate s = x / 1024,
// t = -z / 1024 on a repeating texture whose first stored row is t = 0, and
// BMP files store the picture's bottom row first; stb_image hands the rows
// back top first. These tests follow that chain from a height-map cell to a
// texel of the decoded picture, then look for features of the ground there.
#include "support/generated_set.h"
#include "sun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace landscape_test {
namespace {

constexpr int kSize = 1024;

struct Texel {
    int column;
    int row; // from the top of the decoded picture
};

// Where the viewer samples the picture for the centre of cell (x, z).
Texel viewerTexel(int x, int z)
{
    const double s = (x + 0.5) / kSize;
    double t = -(z + 0.5) / kSize;
    t -= std::floor(t);                                            // repeat wrap
    const int storedRow = static_cast<int>(std::floor(t * kSize)); // 0 = first stored row
    const int column = static_cast<int>(std::floor(s * kSize));
    return {column, kSize - 1 - storedRow};
}

int groundAt(int x, int z)
{
    const std::vector<uint8_t>& map = defaultFile("Tertest.raw");
    return map[static_cast<size_t>(z & 1023) * 1024 + (x & 1023)];
}

bool isSnow(const uint8_t* p)
{
    const int low = std::min({p[0], p[1], p[2]});
    const int high = std::max({p[0], p[1], p[2]});
    return low > 205 && high - low < 30;
}

// Mean ground height under the snowy texels, with the picture laid on the
// map by `place` (cell → texel).
double meanHeightUnderSnow(const Decoded& picture, const std::function<Texel(int, int)>& place, int& count)
{
    double sum = 0.0;
    count = 0;
    for (int z = 0; z < kSize; ++z) {
        for (int x = 0; x < kSize; ++x) {
            const Texel texel = place(x, z);
            if (!isSnow(picture.at(texel.column, texel.row)))
                continue;
            sum += groundAt(x, z);
            ++count;
        }
    }
    return count > 0 ? sum / count : 0.0;
}

TEST(TerrainPicture, SnowLiesOnTheHighestGroundAsTheViewerMapsIt)
{
    const Decoded picture = decodeDefault("Terrain2.bmp");
    ASSERT_EQ(picture.width, kSize);
    ASSERT_EQ(picture.height, kSize);

    int snowy = 0;
    const double onTops = meanHeightUnderSnow(picture, viewerTexel, snowy);
    // A little snow: some, on a small share of the map.
    EXPECT_GT(snowy, 100);
    EXPECT_LT(snowy, kSize * kSize / 50);
    EXPECT_GT(onTops, 175.0);

    // Laid on mirrored or turned, the same snow would cover ordinary ground.
    int ignored = 0;
    const auto flippedZ = [](int x, int z) {
        Texel t = viewerTexel(x, z);
        t.row = kSize - 1 - t.row;
        return t;
    };
    const auto flippedX = [](int x, int z) {
        Texel t = viewerTexel(x, z);
        t.column = kSize - 1 - t.column;
        return t;
    };
    const auto turned = [](int x, int z) { return viewerTexel(z, x); };
    EXPECT_LT(meanHeightUnderSnow(picture, flippedZ, ignored), onTops - 50.0);
    EXPECT_LT(meanHeightUnderSnow(picture, flippedX, ignored), onTops - 50.0);
    EXPECT_LT(meanHeightUnderSnow(picture, turned, ignored), onTops - 50.0);
}

// The picture carries the sun: ground sloping towards it is brighter than
// ground of the same steepness sloping away.
TEST(TerrainPicture, SlopesFacingTheSunAreBrighter)
{
    const Decoded picture = decodeDefault("Terrain2.bmp");
    const landscape::Vec3 sun = landscape::sunDirection();
    double litSum = 0.0;
    double shadedSum = 0.0;
    int lit = 0;
    int shaded = 0;
    for (int z = 0; z < kSize; z += 2) {
        for (int x = 0; x < kSize; x += 2) {
            // Downhill direction of the ground, as a horizontal vector.
            const double dx = groundAt(x - 2, z) - groundAt(x + 2, z);
            const double dz = groundAt(x, z - 2) - groundAt(x, z + 2);
            const double steepness = std::hypot(dx, dz) / 4.0;
            if (steepness < 0.4 || steepness > 1.0)
                continue;
            const double facing = (dx * sun.x + dz * sun.z) / (std::hypot(dx, dz) * std::hypot(sun.x, sun.z));
            const Texel texel = viewerTexel(x, z);
            const uint8_t* p = picture.at(texel.column, texel.row);
            const double brightness = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
            if (facing > 0.8) {
                litSum += brightness;
                ++lit;
            } else if (facing < -0.8) {
                shadedSum += brightness;
                ++shaded;
            }
        }
    }
    ASSERT_GT(lit, 1000);
    ASSERT_GT(shaded, 1000);
    EXPECT_GT(litSum / lit, 1.3 * (shadedSum / shaded));
}

} // namespace
} // namespace landscape_test
