#include "terrain/ground_layout.h"

#include "terrain/test_ground.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>

namespace {

// --- Sides, levels and numbering ----------------------------------------------

TEST(GroundLayout, TakesSidesOfTwoToAPowerPlusOneFrom1025To16385)
{
    struct Case {
        int side;
        int levelCount;
        float spacing;
    };
    const Case accepted[] = {{1025, 6, 1.0f}, {2049, 7, 0.5f}, {16385, 10, 1.0f / 16}};
    for (const Case& c : accepted) {
        const auto layout = groundLayout(c.side);
        ASSERT_TRUE(layout) << c.side;
        EXPECT_EQ(layout->levelCount, c.levelCount) << c.side;
        EXPECT_EQ(layout->sampleSpacing, c.spacing) << c.side;
        EXPECT_EQ(levelSide(*layout, rootLevel(*layout)), kGroundNodeSide) << c.side;
    }
    for (int side : {-1, 0, 513, 1024, 1026, 3073, 32769})
        EXPECT_FALSE(groundLayout(side)) << side;
}

TEST(GroundLayout, NumbersRootFirstThenEachLevelRowByRow)
{
    const GroundLayout layout = *groundLayout(2049);
    EXPECT_EQ(groundNodeCount(layout), 1 + 4 + 16 + 64 + 256 + 1024 + 4096);
    const int root = rootLevel(layout);
    const GroundNode firstFew[] = {{root, 0, 0}, {root - 1, 0, 0}, {root - 1, 1, 0}, {root - 1, 0, 1}};
    for (int index = 0; index < 4; ++index) {
        const GroundNode node = groundNodeAt(layout, index);
        EXPECT_EQ(node.level, firstFew[index].level) << index;
        EXPECT_EQ(node.x, firstFew[index].x) << index;
        EXPECT_EQ(node.z, firstFew[index].z) << index;
    }
    EXPECT_EQ(groundNodeIndex(layout, GroundNode{0, 0, 0}), groundNodeCount(layout) - 64 * 64);
    EXPECT_EQ(groundNodeIndex(layout, GroundNode{0, 63, 63}), groundNodeCount(layout) - 1);

    for (int index = 0; index < groundNodeCount(layout); ++index) {
        const GroundNode node = groundNodeAt(layout, index);
        ASSERT_EQ(groundNodeIndex(layout, node), index);
        if (node.level == 0)
            continue;
        std::set<int> children;
        for (int child = 0; child < 4; ++child) {
            const GroundNode c = childNode(node, child);
            children.insert(groundNodeIndex(layout, c));
            const auto parent = parentNode(layout, c);
            ASSERT_TRUE(parent);
            EXPECT_EQ(groundNodeIndex(layout, *parent), index);
        }
        EXPECT_EQ(children.size(), 4u);
    }
    EXPECT_FALSE(parentNode(layout, GroundNode{root, 0, 0}));
}

TEST(GroundLayout, PlacesNodesAndFindsTheLeafUnderAPoint)
{
    const GroundLayout layout = *groundLayout(1025); // leaves of 32 units
    const GroundRect rect = nodeRect(layout, GroundNode{2, 1, 3});
    EXPECT_EQ(rect.x0, 128);
    EXPECT_EQ(rect.z0, 384);
    EXPECT_EQ(rect.x1, 256);
    EXPECT_EQ(rect.z1, 512);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float x, z;
        int nodeX, nodeZ;
    };
    const Case cases[] = {{0, 0, 0, 0},      {31.99f, 32, 0, 1}, {1023.9f, 1024, 31, 31},
                          {-5, 2000, 0, 31}, {nan, 100, 0, 3},   {512, 511.9f, 16, 15}};
    for (const Case& c : cases) {
        const GroundNode leaf = leafNodeAt(layout, c.x, c.z);
        EXPECT_EQ(leaf.level, 0);
        EXPECT_EQ(leaf.x, c.nodeX) << c.x << ", " << c.z;
        EXPECT_EQ(leaf.z, c.nodeZ) << c.x << ", " << c.z;
    }
}

// --- The surface as triangles cut it ------------------------------------------

// The height of the full-detail triangle holding (x, z), by barycentric weights
// of the three corners, read from the whole ground.
float fullDetailHeight(const std::vector<float>& heights, float x, float z)
{
    const int i = std::min(static_cast<int>(x), kTestGroundSide - 2);
    const int j = std::min(static_cast<int>(z), kTestGroundSide - 2);
    auto at = [&](int a, int b) { return heights[static_cast<size_t>(b) * kTestGroundSide + a]; };
    const bool belowDiagonal = x - float(i) >= z - float(j);
    const float px[3] = {float(i), belowDiagonal ? float(i + 1) : float(i), float(i + 1)};
    const float pz[3] = {float(j), belowDiagonal ? float(j) : float(j + 1), float(j + 1)};
    const float ph[3] = {at(i, j), belowDiagonal ? at(i + 1, j) : at(i, j + 1), at(i + 1, j + 1)};
    const float area = (px[1] - px[0]) * (pz[2] - pz[0]) - (px[2] - px[0]) * (pz[1] - pz[0]);
    const float w1 = ((x - px[0]) * (pz[2] - pz[0]) - (px[2] - px[0]) * (z - pz[0])) / area;
    const float w2 = ((px[1] - px[0]) * (z - pz[0]) - (x - px[0]) * (pz[1] - pz[0])) / area;
    return (1 - w1 - w2) * ph[0] + w1 * ph[1] + w2 * ph[2];
}

TEST(GroundSurface, EqualsTheFullDetailTriangleAtRandomPoints)
{
    const GroundLayout layout = *groundLayout(kTestGroundSide); // one unit between samples
    const std::vector<float>& heights = testGround();
    std::mt19937 random(36);
    std::uniform_real_distribution<float> across(0, kGroundWorldSize);
    for (int n = 0; n < 1000; ++n) {
        float x = across(random);
        float z = across(random);
        if (n % 10 == 0)
            x = std::round(x / 32) * 32; // on the edge between two leaves, or the ground's
        if (n % 25 == 0)
            z = 1024;
        const GroundNode leaf = leafNodeAt(layout, x, z);
        const std::vector<float> samples = testNodeSamples(layout, heights.data(), leaf);
        ASSERT_NEAR(nodeSurfaceHeight(layout, leaf, samples.data(), x, z), fullDetailHeight(heights, x, z), 0.001f)
            << x << ", " << z;
    }
}

// --- Bounds -------------------------------------------------------------------

TEST(GroundBounds, HoldExactHeightsAndAnErrorNoSmallerThanTheTrueOne)
{
    const GroundLayout layout = *groundLayout(kTestGroundSide);
    const std::vector<float>& heights = testGround();
    const std::vector<GroundNodeBounds>& bounds = testGroundBounds();
    ASSERT_EQ(bounds.size(), static_cast<size_t>(groundNodeCount(layout)));

    for (int index = 0; index < groundNodeCount(layout); ++index) {
        const GroundNode node = groundNodeAt(layout, index);
        const std::vector<float> samples = testNodeSamples(layout, heights.data(), node);
        const int step = kGroundNodeQuads << node.level; // level-0 samples along its side
        // The true error by brute force, for the nodes over the ridge, where the levels part most.
        const bool overRidge =
            node.level > 0 && node.x * step <= kTestRidgeColumn && kTestRidgeColumn <= (node.x + 1) * step;
        float low = std::numeric_limits<float>::infinity();
        float high = -low;
        float error = 0;
        for (int j = node.z * step; j <= (node.z + 1) * step; ++j) {
            for (int i = node.x * step; i <= (node.x + 1) * step; ++i) {
                const float h = heights[static_cast<size_t>(j) * kTestGroundSide + i];
                low = std::min(low, h);
                high = std::max(high, h);
                // Between samples both surfaces are linear on level 0's triangles.
                if (overRidge)
                    error = std::max(
                        error, std::fabs(nodeSurfaceHeight(layout, node, samples.data(), float(i), float(j)) - h));
            }
        }
        const GroundNodeBounds& b = bounds[static_cast<size_t>(index)];
        ASSERT_EQ(b.minHeight, low) << index;
        ASSERT_EQ(b.maxHeight, high) << index;
        if (node.level == 0)
            ASSERT_EQ(b.error, 0) << index;
        else // less a step of float rounding in the brute force, near heights of 100
            ASSERT_GE(b.error, error - 1e-4f) << index;
    }
    // The ridge is gone from the root's surface, so its error holds most of it.
    EXPECT_GE(bounds[0].error, kTestRidgeHeight * 0.9f);
}

} // namespace
