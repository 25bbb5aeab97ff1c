#include "terrain/ground_layout.h"

#include "terrain/test_ground.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

TEST(GroundLayout, TakesSidesOfTwoToAPowerPlusOneFrom1025To16385)
{
    const struct {
        int side, levelCount;
        float spacing;
    } accepted[] = {{1025, 6, 1.0f}, {2049, 7, 0.5f}, {16385, 10, 1.0f / 16}};
    for (const auto& c : accepted) {
        const auto layout = groundLayout(c.side);
        ASSERT_TRUE(layout) << c.side;
        EXPECT_EQ(layout->levelCount, c.levelCount);
        EXPECT_EQ(layout->sampleSpacing, c.spacing);
    }
    for (int side : {0, 513, 1024, 1026, 3073, 32769})
        EXPECT_FALSE(groundLayout(side)) << side;
}

TEST(GroundLayout, NumbersRootFirstThenLevelByLevelRowByRow)
{
    const GroundLayout layout = *groundLayout(2049); // root level 6, 64 x 64 leaves
    EXPECT_EQ(groundNodeIndex(layout, {5, 1, 0}), 2);
    EXPECT_EQ(groundNodeIndex(layout, {5, 0, 1}), 3);
    EXPECT_EQ(groundNodeIndex(layout, {0, 63, 63}), groundNodeCount(layout) - 1);
    EXPECT_EQ(groundNodeCount(layout), 5461);
    for (int index = 0; index < groundNodeCount(layout); ++index) {
        const GroundNode node = groundNodeAt(layout, index);
        ASSERT_EQ(groundNodeIndex(layout, node), index);
        for (int child = 0; node.level > 0 && child < 4; ++child)
            ASSERT_EQ(groundNodeIndex(layout, *parentNode(layout, childNode(node, child))), index);
    }
    EXPECT_FALSE(parentNode(layout, {6, 0, 0}));
    const GroundRect rect = nodeRect(layout, {2, 1, 3}); // 64 units a side
    EXPECT_TRUE(rect.x0 == 64 && rect.z0 == 192 && rect.x1 == 128 && rect.z1 == 256);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float x, z;
        int nodeX, nodeZ;
    } leaves[] = {{0, 0, 0, 0}, {15.99f, 16, 0, 1}, {1024, 1023.9f, 63, 63}, {-5, 2000, 0, 63}, {nan, 100, 0, 6}};
    for (const auto& c : leaves) {
        const GroundNode leaf = leafNodeAt(layout, c.x, c.z);
        EXPECT_TRUE(leaf.level == 0 && leaf.x == c.nodeX && leaf.z == c.nodeZ) << c.x << ", " << c.z;
    }
}

// The full-detail triangle's height at (x, z) on the test ground, by barycentric weights.
float fullDetailHeight(float x, float z)
{
    const int i = std::min(int(x), kTestGroundSide - 2), j = std::min(int(z), kTestGroundSide - 2);
    const bool lower = x - float(i) >= z - float(j); // the triangle (i, j), (i + 1, j), (i + 1, j + 1)
    const int ci[3] = {i, lower ? i + 1 : i, i + 1}, cj[3] = {j, lower ? j : j + 1, j + 1};
    auto area = [&](float ax, float az, float bx, float bz, float px, float pz) {
        return (bx - ax) * (pz - az) - (px - ax) * (bz - az);
    };
    float p[3][2], h = 0;
    for (int k = 0; k < 3; ++k)
        p[k][0] = float(ci[k]), p[k][1] = float(cj[k]);
    const float whole = area(p[0][0], p[0][1], p[1][0], p[1][1], p[2][0], p[2][1]);
    for (int k = 0; k < 3; ++k) {
        const float* a = p[(k + 1) % 3];
        const float* b = p[(k + 2) % 3];
        h += area(a[0], a[1], b[0], b[1], x, z) / whole * testGround()[size_t(cj[k]) * kTestGroundSide + ci[k]];
    }
    return h;
}

TEST(GroundSurface, EqualsTheFullDetailTriangleAtRandomPoints)
{
    const GroundLayout layout = *groundLayout(kTestGroundSide); // one unit between samples
    std::mt19937 random(36);
    std::uniform_real_distribution<float> across(0, kGroundWorldSize);
    for (int n = 0; n < 1000; ++n) {
        const float x = n % 10 == 0 ? std::round(across(random) / 32) * 32 : across(random); // on leaves' edges too
        const float z = n % 25 == 0 ? kGroundWorldSize : across(random);
        const GroundNode leaf = leafNodeAt(layout, x, z);
        const std::vector<float> samples = testNodeSamples(layout, testGround().data(), leaf);
        ASSERT_NEAR(nodeSurfaceHeight(layout, leaf, samples.data(), x, z), fullDetailHeight(x, z), 0.001f)
            << x << ", " << z;
    }
}

TEST(GroundBounds, HoldExactHeightsAndAnErrorNoSmallerThanTheTrueOne)
{
    const GroundLayout layout = *groundLayout(kTestGroundSide);
    const std::vector<float>& heights = testGround();
    const std::vector<GroundNodeBounds>& bounds = testGroundBounds();
    ASSERT_EQ(bounds.size(), size_t(groundNodeCount(layout)));
    for (int index = 0; index < groundNodeCount(layout); ++index) {
        const GroundNode node = groundNodeAt(layout, index);
        const GroundNodeBounds& b = bounds[size_t(index)];
        ASSERT_TRUE(node.level > 0 || b.error == 0) << index;
        // By brute force over the ridge, where the levels part most: both surfaces
        // are linear between level 0's samples, so the true error is at one of them.
        const int step = kGroundNodeQuads << node.level; // level-0 samples along its side
        if (node.x * step > kTestRidgeColumn || kTestRidgeColumn > (node.x + 1) * step)
            continue;
        const std::vector<float> samples = testNodeSamples(layout, heights.data(), node);
        float low = INFINITY, high = -INFINITY, error = 0;
        for (int j = node.z * step; j <= (node.z + 1) * step; ++j) {
            for (int i = node.x * step; i <= (node.x + 1) * step; ++i) {
                const float h = heights[size_t(j) * kTestGroundSide + i];
                low = std::min(low, h);
                high = std::max(high, h);
                error = std::max(error,
                                 std::fabs(nodeSurfaceHeight(layout, node, samples.data(), float(i), float(j)) - h));
            }
        }
        ASSERT_TRUE(b.minHeight == low && b.maxHeight == high) << index;
        ASSERT_GE(b.error, error - 1e-4f) << index; // less float rounding in the brute force, near heights of 100
    }
    EXPECT_GE(bounds[0].error, 36); // the root has lost the ridge of 40
}

} // namespace
