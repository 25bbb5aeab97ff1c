#include "terrain/ground_mesh.h"

#include "terrain/test_ground.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

TEST(GroundMesh, GridFacesUpCutAlongTheDiagonalAndSkirtsHangOutwardsBelowTheEdges)
{
    const GroundLayout layout = *groundLayout(kTestGroundSide);
    const GroundNode node{1, 4, 5}; // x 256 .. 320, z 320 .. 384, two units a quad
    const std::vector<float> samples = testNodeSamples(layout, testGround().data(), node);
    static float v[3 * kGroundNodeVertices];
    static uint16_t indices[kGroundNodeIndices];
    buildNodeVertices(layout, node, samples.data(), 5, v);
    buildGroundNodeIndices(indices);
    for (int n = 0; n < kGroundNodeSamples; ++n)
        ASSERT_TRUE(v[3 * n] == float(256 + 2 * (n % 33)) && v[3 * n + 1] == samples[n] &&
                    v[3 * n + 2] == float(320 + 2 * (n / 33)));
    for (int s = kGroundNodeSamples; s < kGroundNodeVertices; ++s) { // 5 below a grid vertex on the edge
        const float x = v[3 * s], z = v[3 * s + 2];
        ASSERT_TRUE(x == 256 || x == 320 || z == 320 || z == 384) << s;
        ASSERT_EQ(v[3 * s + 1], samples[size_t(z - 320) / 2 * 33 + size_t(x - 256) / 2] - 5) << s;
    }
    float gridArea = 0;
    for (int t = 0; t < kGroundNodeIndices / 3; ++t) {
        const float* p[3] = {v + 3 * indices[3 * t], v + 3 * indices[3 * t + 1], v + 3 * indices[3 * t + 2]};
        float u[3], w[3], n[3], middle[3];
        for (int a = 0; a < 3; ++a)
            u[a] = p[1][a] - p[0][a], w[a] = p[2][a] - p[0][a], middle[a] = (p[0][a] + p[1][a] + p[2][a]) / 3;
        for (int a = 0; a < 3; ++a)
            n[a] = u[(a + 1) % 3] * w[(a + 2) % 3] - u[(a + 2) % 3] * w[(a + 1) % 3];
        if (t < kGroundGridTriangles) { // counter-clockwise seen from above, on the surface as the cut makes it
            ASSERT_GT(n[1], 0) << t;
            gridArea += n[1] / 2;
            ASSERT_NEAR(middle[1], nodeSurfaceHeight(layout, node, samples.data(), middle[0], middle[2]), 1e-3f) << t;
        } else { // upright, facing away from the square's middle (288, 352)
            ASSERT_EQ(n[1], 0) << t;
            ASSERT_GT(n[0] * (middle[0] - 288) + n[2] * (middle[2] - 352), 0) << t;
        }
    }
    EXPECT_FLOAT_EQ(gridArea, 64 * 64); // the square, once
}

// A 4097 ground (a quarter unit a sample) peaking at column 240, inside a
// leaf: a node six levels coarser joins samples 64 apart around it, well below
// the leaf's own heights.
float peakHeight(int i) { return -0.01f * float((i - 240) * (i - 240)); }

TEST(GroundMesh, NeighboursOfOtherLevelsLeaveNoCrack)
{
    const struct {
        int side;
        GroundNode a, b; // b beyond a's edge z1, or x1
        bool alongX;     // the shared edge runs along x
    } cases[] = {
        {1025, {0, 9, 7}, {3, 1, 1}, true},   // a leaf holding the ridge beside a node that has lost it
        {1025, {3, 1, 0}, {0, 9, 8}, true},   // the other way round
        {1025, {0, 15, 3}, {4, 1, 0}, false}, // four levels apart across the swell
        {4097, {0, 7, 63}, {6, 0, 1}, true},  // six apart at the peak: the leaf's own range falls short
    };
    const std::vector<GroundNodeBounds> testBounds =
        computeGroundNodeBounds(*groundLayout(kTestGroundSide), testGround().data());
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const GroundLayout layout = *groundLayout(c.side);
        std::vector<GroundNodeBounds> bounds = testBounds;
        std::vector<float> samples[2];
        if (c.side == kTestGroundSide) {
            samples[0] = testNodeSamples(layout, testGround().data(), c.a);
            samples[1] = testNodeSamples(layout, testGround().data(), c.b);
        } else { // loose bounds for all, never tight, but the leaf's ancestors hold their true range
            bounds.assign(size_t(groundNodeCount(layout)), GroundNodeBounds{-1e6f, 1e6f, 1e6f});
            for (GroundNode n = c.a; n.level < rootLevel(layout); n = *parentNode(layout, n)) {
                const int i0 = n.x * kGroundNodeQuads << n.level, i1 = (n.x + 1) * kGroundNodeQuads << n.level;
                GroundNodeBounds& b = bounds[size_t(groundNodeIndex(layout, n))];
                b.maxHeight = peakHeight(std::clamp(240, i0, i1));
                b.minHeight = std::min(peakHeight(i0), peakHeight(i1));
            }
            for (int n = 0; n < 2 * kGroundNodeSamples; ++n) {
                const GroundNode node = n < kGroundNodeSamples ? c.a : c.b;
                samples[n / kGroundNodeSamples].push_back(
                    peakHeight((node.x * kGroundNodeQuads + n % kGroundNodeSide) << node.level));
            }
        }
        // Along an edge a node's surface is its edge's line between vertices;
        // its skirt hangs skirtDepth below that.
        const float depthA = skirtDepth(layout, c.a, bounds.data()), depthB = skirtDepth(layout, c.b, bounds.data());
        const GroundRect ra = nodeRect(layout, c.a), rb = nodeRect(layout, c.b);
        ASSERT_EQ(c.alongX ? ra.z1 : ra.x1, c.alongX ? rb.z0 : rb.x0);
        float widestGap = 0;
        const float from = c.alongX ? std::max(ra.x0, rb.x0) : std::max(ra.z0, rb.z0);
        const float to = c.alongX ? std::min(ra.x1, rb.x1) : std::min(ra.z1, rb.z1);
        for (float along = from; along <= to; along += 0.125f) { // level 0's samples and between
            const float x = c.alongX ? along : ra.x1, z = c.alongX ? ra.z1 : along;
            const float topA = nodeSurfaceHeight(layout, c.a, samples[0].data(), x, z);
            const float topB = nodeSurfaceHeight(layout, c.b, samples[1].data(), x, z);
            widestGap = std::max(widestGap, std::fabs(topA - topB));
            ASSERT_LT(topA > topB ? topA - depthA : topB - depthB, std::min(topA, topB)) << along;
        }
        EXPECT_GT(widestGap, 0.5f); // the levels do part here
    }
}

} // namespace
