#include "terrain/ground_layout.h"

#include "terrain/test_ground.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

TEST(GroundLayout, TakesSidesOfTwoToAPowerPlusOneAndNumbersNodesRootFirstRowByRow)
{
    EXPECT_TRUE(groundLayout(16385)->levelCount == 10 && groundLayout(16385)->sampleSpacing == 1.0f / 16);
    for (int side : {513, 1024, 1026, 3073, 32769})
        EXPECT_FALSE(groundLayout(side)) << side;
    const GroundLayout layout = *groundLayout(2049); // root level 6, 64 x 64 leaves
    EXPECT_EQ(groundNodeIndex(layout, {5, 0, 1}), 3);
    EXPECT_EQ(groundNodeIndex(layout, {0, 63, 63}), 5460);
    EXPECT_EQ(groundNodeCount(layout), 5461);
    for (int index = 1; index < groundNodeCount(layout); ++index) {
        const GroundNode node = groundNodeAt(layout, index), parent = *parentNode(layout, node);
        ASSERT_EQ(groundNodeIndex(layout, node), index);
        ASSERT_EQ(groundNodeIndex(layout, childNode(parent, node.x % 2 + 2 * (node.z % 2))), index);
    }
    const GroundNode leaf = leafNodeAt(layout, 1024, -5); // clamped onto the ground
    EXPECT_TRUE(leaf.level == 0 && leaf.x == 63 && leaf.z == 0);
}

TEST(GroundSurface, EqualsTheFullDetailTriangleAtRandomPoints)
{
    const GroundLayout layout = *groundLayout(kTestGroundSide); // one unit between samples
    auto at = [](int i, int j) { return testGround()[size_t(j) * kTestGroundSide + i]; };
    std::mt19937 random(36);
    std::uniform_real_distribution<float> across(0, kGroundWorldSize);
    for (int n = 0; n < 1000; ++n) {
        const float x = n % 10 ? across(random) : std::round(across(random) / 32) * 32; // leaves' edges too
        const float z = n % 25 ? across(random) : kGroundWorldSize;
        // Barycentric weights in the full-detail triangle: corners (i, j) and
        // (i + 1, j + 1), and (i + 1, j) or (i, j + 1) on the point's side of the cut.
        const int i = std::min(int(x), kTestGroundSide - 2), j = std::min(int(z), kTestGroundSide - 2);
        const float u = x - float(i), v = z - float(j);
        const float expected = u >= v ? (1 - u) * at(i, j) + (u - v) * at(i + 1, j) + v * at(i + 1, j + 1)
                                      : (1 - v) * at(i, j) + (v - u) * at(i, j + 1) + u * at(i + 1, j + 1);
        const GroundNode leaf = leafNodeAt(layout, x, z);
        const std::vector<float> samples = testNodeSamples(layout, testGround().data(), leaf);
        ASSERT_NEAR(nodeSurfaceHeight(layout, leaf, samples.data(), x, z), expected, 0.001f) << x << ", " << z;
    }
}

TEST(GroundBounds, HoldExactHeightsAndAnErrorNoSmallerThanTheTrueOneAndTheTrueOneBelowLevelFive)
{
    const GroundLayout layout = *groundLayout(kTestGroundSide);
    const std::vector<float>& heights = testGround();
    const std::vector<GroundNodeBounds> bounds = computeGroundNodeBounds(layout, heights.data());
    ASSERT_EQ(bounds.size(), size_t(groundNodeCount(layout)));
    for (int index = 0; index < groundNodeCount(layout); ++index) {
        const GroundNode node = groundNodeAt(layout, index);
        const GroundNodeBounds& b = bounds[size_t(index)];
        ASSERT_TRUE(node.level > 0 || b.error == 0) << index;
        // By brute force over the ridge, where the levels part most: both surfaces
        // are linear between level 0's samples, so the true error is at one of them.
        const int step = kGroundNodeQuads << node.level;
        if (node.x * step > kTestRidgeColumn || kTestRidgeColumn > (node.x + 1) * step)
            continue;
        const std::vector<float> samples = testNodeSamples(layout, heights.data(), node);
        float low = INFINITY, high = -INFINITY, error = 0;
        for (int j = node.z * step; j <= (node.z + 1) * step; ++j) {
            for (int i = node.x * step; i <= (node.x + 1) * step; ++i) {
                const float h = heights[size_t(j) * kTestGroundSide + i];
                low = std::min(low, h), high = std::max(high, h);
                error = std::max(error,
                                 std::fabs(nodeSurfaceHeight(layout, node, samples.data(), float(i), float(j)) - h));
            }
        }
        ASSERT_TRUE(b.minHeight == low && b.maxHeight == high) << index;
        ASSERT_GE(b.error, error - 1e-4f) << index; // less float rounding in the brute force, near heights of 100
        if (node.level < 5) { // where most nodes drawn are, a looser bound costs triangles
            ASSERT_LE(b.error, error + 1e-4f) << index;
        }
    }
    EXPECT_GE(bounds[0].error, 36); // the root has lost the ridge of 40
}

} // namespace
