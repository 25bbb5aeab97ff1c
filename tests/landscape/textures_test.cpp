// The detail picture and the flyer sprite, as decoded by stb_image.
#include "support/generated_set.h"

#include <gtest/gtest.h>

#include <cmath>

namespace landscape_test {
namespace {

// Mean absolute difference, over all channels, between two columns (or rows).
double lineDifference(const Decoded& p, int a, int b, bool columns)
{
    double sum = 0.0;
    const int n = columns ? p.height : p.width;
    for (int i = 0; i < n; ++i) {
        const uint8_t* first = columns ? p.at(a, i) : p.at(i, a);
        const uint8_t* second = columns ? p.at(b, i) : p.at(i, b);
        for (int c = 0; c < 3; ++c)
            sum += std::abs(first[c] - second[c]);
    }
    return sum / (3.0 * n);
}

// Repeated 60 times across the ground, the detail picture must show no
// seam: its last column runs on into its first as any column into the next.
TEST(DetailPicture, ContinuesAcrossItsEdges)
{
    const Decoded p = decodeDefault("Detail1.bmp");
    ASSERT_GT(p.width, 16);
    for (const bool columns : {true, false}) {
        SCOPED_TRACE(columns ? "columns" : "rows");
        const int n = columns ? p.width : p.height;
        double neighbours = 0.0;
        for (int i = 0; i + 1 < n; ++i)
            neighbours += lineDifference(p, i, i + 1, columns);
        neighbours /= n - 1;
        const double seam = lineDifference(p, n - 1, 0, columns);
        const double apart = lineDifference(p, 0, n / 2, columns);
        EXPECT_LE(seam, 1.2 * neighbours);
        // Lines far apart differ clearly more, so a seam would have shown.
        EXPECT_GT(apart, 1.6 * neighbours);
    }
}

// It multiplies the base picture, so it is bright, with a visible grain.
TEST(DetailPicture, IsBrightWithAFineGrain)
{
    const Decoded p = decodeDefault("Detail1.bmp");
    double sum[3] = {0.0, 0.0, 0.0};
    for (size_t i = 0; i < p.pixels.size(); i += 4) {
        for (int c = 0; c < 3; ++c)
            sum[c] += p.pixels[i + c];
    }
    const double count = static_cast<double>(p.width) * p.height;
    for (int c = 0; c < 3; ++c)
        EXPECT_GT(sum[c] / count, 190.0) << "channel " << c;

    double neighbours = 0.0;
    for (int x = 0; x + 1 < p.width; ++x)
        neighbours += lineDifference(p, x, x + 1, true);
    EXPECT_GT(neighbours / (p.width - 1), 1.0);
}

TEST(WingSprite, AlphaIsZeroOutsideTheWingAndSoftAtItsEdge)
{
    const Decoded p = decodeDefault("busch2.tga");
    ASSERT_EQ(p.channels, 4);
    int opaque = 0;
    int partial = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const int alpha = p.at(x, y)[3];
            const bool border = x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1;
            // With repeat wrap the wing quads sample across the picture's
            // edges: the border must be clear.
            if (border) {
                EXPECT_EQ(alpha, 0) << "(" << x << ", " << y << ")";
            }
            opaque += alpha == 255;
            partial += alpha > 0 && alpha < 255;
        }
    }
    EXPECT_GT(opaque, p.width * p.height / 4);
    EXPECT_GT(partial, 2 * p.width);
}

// The wing's root is along the right edge (s = 1), at the flyer's body; its
// tip reaches towards the left edge.
TEST(WingSprite, WingSpansFromTheBodyEdgeTowardsTheTip)
{
    const Decoded p = decodeDefault("busch2.tga");
    auto columnCover = [&](int x) {
        int covered = 0;
        for (int y = 0; y < p.height; ++y)
            covered += p.at(x, y)[3] > 128;
        return covered;
    };
    EXPECT_GT(columnCover(p.width - 4), p.height / 4);
    EXPECT_GT(columnCover(p.width / 8), 0);
}

} // namespace
} // namespace landscape_test
