#include "terrain/ground_mesh.h"

#include "terrain/test_ground.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

TEST(GroundMesh, GridFacesUpCutAlongTheDiagonalAndSkirtsFaceOutwards)
{
    const GroundLayout layout = *groundLayout(kTestGroundSide);
    const GroundNode node{1, 4, 5}; // x 256 .. 320, z 320 .. 384, two units a quad
    const std::vector<float> samples = testNodeSamples(layout, testGround().data(), node);
    static float v[3 * kGroundNodeVertices];
    static uint16_t indices[kGroundNodeIndices];
    buildNodeVertices(layout, node, samples.data(), 5, v);
    buildGroundNodeIndices(indices);
    EXPECT_TRUE(v[0] == 256 && v[2] == 320 && v[3 * 34] == 258 && v[3 * 34 + 1] == samples[34] &&
                v[3 * 34 + 2] == 322);
    float gridArea = 0;
    for (int t = 0; t < kGroundNodeIndices / 3; ++t) {
        const float* p[3];
        for (int k = 0; k < 3; ++k) {
            ASSERT_LT(indices[3 * t + k], kGroundNodeVertices);
            p[k] = v + 3 * indices[3 * t + k];
        }
        float u[3], w[3], n[3];
        for (int a = 0; a < 3; ++a)
            u[a] = p[1][a] - p[0][a], w[a] = p[2][a] - p[0][a];
        for (int a = 0; a < 3; ++a)
            n[a] = u[(a + 1) % 3] * w[(a + 2) % 3] - u[(a + 2) % 3] * w[(a + 1) % 3];
        if (t < kGroundGridTriangles) {
            ASSERT_GT(n[1], 0) << t; // counter-clockwise seen from above
            gridArea += n[1] / 2;
            bool diagonal = false; // two corners a quad apart on both axes, x and z growing together
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b)
                    diagonal = diagonal || (p[b][0] - p[a][0] == 2 && p[b][2] - p[a][2] == 2);
            ASSERT_TRUE(diagonal) << t;
        } else { // upright, on an edge, its normal pointing away from the middle (288, 352)
            const bool onEdge = (p[0][0] == p[1][0] && p[1][0] == p[2][0] && (p[0][0] == 256 || p[0][0] == 320)) ||
                                (p[0][2] == p[1][2] && p[1][2] == p[2][2] && (p[0][2] == 320 || p[0][2] == 384));
            ASSERT_TRUE(onEdge && n[1] == 0) << t;
            ASSERT_GT(n[0] * (p[0][0] + p[1][0] + p[2][0] - 864) + n[2] * (p[0][2] + p[1][2] + p[2][2] - 1056), 0)
                << t;
        }
    }
    EXPECT_FLOAT_EQ(gridArea, 64 * 64); // the square, once
}

// A 4097 ground (a quarter unit a sample) peaking at column 240, inside one
// leaf: a node six levels coarser joins samples 64 apart around it, far below
// the leaf's own heights.
float peakHeight(int i) { return -0.01f * float((i - 240) * (i - 240)); }

TEST(GroundMesh, NeighboursOfOtherLevelsLeaveNoCrack)
{
    const struct {
        int side;
        GroundNode a, b; // b lies beyond a's edge z1, or x1
        bool alongX;     // the shared edge runs along x
    } cases[] = {
        {1025, {0, 9, 7}, {3, 1, 1}, true},   // a leaf holding the ridge above a node that has lost it
        {1025, {3, 1, 0}, {0, 9, 8}, true},   // the other way round
        {1025, {0, 15, 3}, {4, 1, 0}, false}, // four levels apart across the swell
        {4097, {0, 7, 63}, {6, 0, 1}, true},  // six apart at the peak: the leaf's own range falls short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const GroundLayout layout = *groundLayout(c.side);
        std::vector<GroundNodeBounds> bounds;
        std::vector<float> samples[2];
        if (c.side == kTestGroundSide) {
            bounds = testGroundBounds();
            samples[0] = testNodeSamples(layout, testGround().data(), c.a);
            samples[1] = testNodeSamples(layout, testGround().data(), c.b);
        } else { // bounds may be loose, never tight: exact for the leaf's line of ancestors
            bounds.assign(size_t(groundNodeCount(layout)), GroundNodeBounds{-1e6f, 1e6f, 1e6f});
            for (GroundNode n = c.a; n.level < rootLevel(layout); n = *parentNode(layout, n)) {
                GroundNodeBounds& exact = bounds[size_t(groundNodeIndex(layout, n))];
                exact.minHeight = 1e6f, exact.maxHeight = -1e6f;
                for (int i = n.x * kGroundNodeQuads << n.level; i <= (n.x + 1) * kGroundNodeQuads << n.level; ++i)
                    exact.minHeight = std::min(exact.minHeight, peakHeight(i)),
                    exact.maxHeight = std::max(exact.maxHeight, peakHeight(i));
            }
            for (int k = 0; k < 2; ++k) {
                const GroundNode node = k == 0 ? c.a : c.b;
                for (int n = 0; n < kGroundNodeSamples; ++n)
                    samples[k].push_back(peakHeight((node.x * kGroundNodeQuads + n % kGroundNodeSide) << node.level));
            }
        }
        // Each node's top and skirt bottom along the shared edge, from its vertices.
        static float vertices[2][3 * kGroundNodeVertices];
        auto edgeHeight = [&](int k, bool bottom, float along) {
            const GroundNode node = k == 0 ? c.a : c.b;
            const int edge = (c.alongX ? 2 : 1) ^ (k == 0 ? 0 : 2); // a's z1 or x1, b's z0 or x0
            const GroundRect r = nodeRect(layout, node);
            const float t = (along - (c.alongX ? r.x0 : r.z0)) / levelSpacing(layout, node.level);
            const int q = std::clamp(int(t), 0, kGroundNodeQuads - 1);
            const int first[4] = {0, kGroundNodeQuads, kGroundNodeQuads * kGroundNodeSide, 0};
            auto at = [&](int s) {
                return vertices[k][3 * (bottom ? kGroundNodeSamples + edge * kGroundNodeSide + s
                                               : first[edge] + s * (c.alongX ? 1 : kGroundNodeSide)) +
                                   1];
            };
            return at(q) + (t - float(q)) * (at(q + 1) - at(q));
        };
        buildNodeVertices(layout, c.a, samples[0].data(), skirtDepth(layout, c.a, bounds.data()), vertices[0]);
        buildNodeVertices(layout, c.b, samples[1].data(), skirtDepth(layout, c.b, bounds.data()), vertices[1]);
        const GroundRect ra = nodeRect(layout, c.a), rb = nodeRect(layout, c.b);
        ASSERT_EQ(c.alongX ? ra.z1 : ra.x1, c.alongX ? rb.z0 : rb.x0);
        float widestGap = 0;
        const float from = c.alongX ? std::max(ra.x0, rb.x0) : std::max(ra.z0, rb.z0);
        const float to = c.alongX ? std::min(ra.x1, rb.x1) : std::min(ra.z1, rb.z1);
        for (float along = from; along <= to; along += 0.125f) { // level 0's samples and between
            const float topA = edgeHeight(0, false, along), topB = edgeHeight(1, false, along);
            widestGap = std::max(widestGap, std::fabs(topA - topB));
            ASSERT_LT(topA > topB ? edgeHeight(0, true, along) : edgeHeight(1, true, along), std::min(topA, topB))
                << along;
        }
        EXPECT_GT(widestGap, 0.5f); // the levels do part here
    }
}

} // namespace
