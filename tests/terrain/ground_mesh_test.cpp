#include "terrain/ground_mesh.h"

#include "terrain/test_ground.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Point {
    float x, y, z;
};

Point vertexAt(const float* vertices, int index)
{
    return {vertices[3 * index], vertices[3 * index + 1], vertices[3 * index + 2]};
}

Point normalOf(Point a, Point b, Point c)
{
    const Point u{b.x - a.x, b.y - a.y, b.z - a.z};
    const Point v{c.x - a.x, c.y - a.y, c.z - a.z};
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

TEST(GroundMesh, GridFacesUpAlongTheDiagonalAndSkirtsFaceOutwards)
{
    const GroundLayout layout = *groundLayout(kTestGroundSide);
    const GroundNode node{1, 4, 5}; // x 256 .. 320, z 320 .. 384, two units a quad
    const std::vector<float> samples = testNodeSamples(layout, testGround().data(), node);
    static float vertices[3 * kGroundNodeVertices];
    buildNodeVertices(layout, node, samples.data(), 5, vertices);
    EXPECT_EQ(vertexAt(vertices, 0).x, 256);
    EXPECT_EQ(vertexAt(vertices, 0).z, 320);
    EXPECT_EQ(vertexAt(vertices, kGroundNodeSamples - 1).x, 320);
    EXPECT_EQ(vertexAt(vertices, kGroundNodeSamples - 1).z, 384);
    EXPECT_EQ(vertexAt(vertices, 34).y, samples[34]);

    static uint16_t indices[kGroundNodeIndices];
    buildGroundNodeIndices(indices);
    float gridArea = 0;
    for (int t = 0; t < kGroundNodeIndices / 3; ++t) {
        const int i[3] = {indices[3 * t], indices[3 * t + 1], indices[3 * t + 2]};
        for (int k : i)
            ASSERT_LT(k, kGroundNodeVertices);
        const Point p[3] = {vertexAt(vertices, i[0]), vertexAt(vertices, i[1]), vertexAt(vertices, i[2])};
        const Point n = normalOf(p[0], p[1], p[2]);
        if (t < kGroundGridTriangles) {
            ASSERT_GT(n.y, 0) << t; // counter-clockwise seen from above
            gridArea += n.y / 2;
            // Two corners one quad apart on both axes: the cut along (i, j)-(i + 1, j + 1).
            bool diagonal = false;
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b)
                    diagonal = diagonal || (p[b].x - p[a].x == 2 && p[b].z - p[a].z == 2);
            EXPECT_TRUE(diagonal) << t;
        } else {
            // On one edge of the square, its normal pointing away from the middle.
            const float outX = p[0].x + p[1].x + p[2].x - 3 * 288.0f;
            const float outZ = p[0].z + p[1].z + p[2].z - 3 * 352.0f;
            const bool onXEdge = p[0].x == p[1].x && p[1].x == p[2].x;
            const bool onZEdge = p[0].z == p[1].z && p[1].z == p[2].z;
            ASSERT_TRUE(onXEdge || onZEdge) << t;
            ASSERT_GT(n.x * outX + n.z * outZ, 0) << t;
            EXPECT_EQ(std::fabs(n.y), 0) << t;
        }
    }
    EXPECT_FLOAT_EQ(gridArea, 64 * 64); // the square, once
}

// --- No cracks between levels -------------------------------------------------

// One edge of a built node: its top along the grid and its skirt's bottom, as
// heights at a coordinate along the edge (x along edges 0 and 2, z along 1 and 3).
struct NodeEdge {
    const float* vertices;
    int edge;
    float start, spacing;

    float heightAt(int first, int step, float along) const
    {
        const float t = std::clamp((along - start) / spacing, 0.0f, float(kGroundNodeQuads));
        const int k = std::min(static_cast<int>(t), kGroundNodeQuads - 1);
        const float a = vertices[3 * (first + k * step) + 1];
        const float b = vertices[3 * (first + (k + 1) * step) + 1];
        return a + (t - float(k)) * (b - a);
    }
    float top(float along) const
    {
        const int first[4] = {0, kGroundNodeQuads, kGroundNodeQuads * kGroundNodeSide, 0};
        const int step = (edge % 2 == 0) ? 1 : kGroundNodeSide;
        return heightAt(first[edge], step, along);
    }
    float bottom(float along) const { return heightAt(kGroundNodeSamples + edge * kGroundNodeSide, 1, along); }
};

struct CrackCase {
    const char* what;
    int side;
    GroundNode a;
    int edgeOfA; // 0: z0, 1: x1, 2: z1, 3: x0
    GroundNode b;
};

// A 4097 ground that peaks inside one leaf: from far coarser, its edge is a
// chord between samples outside the leaf, well below the leaf's own heights.
float peakHeight(int i, int) { return -0.01f * float((i - 240) * (i - 240)); }

TEST(GroundMesh, NeighboursOfOtherLevelsLeaveNoCrack)
{
    const CrackCase cases[] = {
        {"a leaf holding the ridge beside a node that has lost it", 1025, {0, 9, 7}, 2, {3, 1, 1}},
        {"a node that has lost the ridge beside a leaf holding it", 1025, {3, 1, 0}, 2, {0, 9, 8}},
        {"a leaf beside a node four levels coarser", 1025, {0, 15, 3}, 1, {4, 1, 0}},
        {"a level 1 node beside a level 2 node across the swell", 1025, {1, 2, 4}, 3, {2, 0, 2}},
        {"a leaf on a peak beside a node six levels coarser", 4097, {0, 7, 63}, 2, {6, 0, 1}},
    };
    for (const CrackCase& c : cases) {
        SCOPED_TRACE(c.what);
        const GroundLayout layout = *groundLayout(c.side);
        std::vector<GroundNodeBounds> bounds;
        std::vector<float> samplesA;
        std::vector<float> samplesB;
        if (c.side == kTestGroundSide) {
            bounds = testGroundBounds();
            samplesA = testNodeSamples(layout, testGround().data(), c.a);
            samplesB = testNodeSamples(layout, testGround().data(), c.b);
        } else {
            // Only the leaf's bounds and its ancestors' are exact: a bound may be
            // loose, never tight, so the rest hold everything.
            bounds.assign(static_cast<size_t>(groundNodeCount(layout)), GroundNodeBounds{-1e6f, 1e6f, 1e6f});
            for (GroundNode n = c.a; n.level < rootLevel(layout); n = *parentNode(layout, n)) {
                const int span = kGroundNodeQuads << n.level;
                GroundNodeBounds& exact = bounds[static_cast<size_t>(groundNodeIndex(layout, n))];
                exact = {1e6f, -1e6f, 1e6f};
                for (int i = n.x * span; i <= (n.x + 1) * span; ++i) {
                    exact.minHeight = std::min(exact.minHeight, peakHeight(i, 0));
                    exact.maxHeight = std::max(exact.maxHeight, peakHeight(i, 0));
                }
            }
            for (const auto& [node, samples] : {std::pair{c.a, &samplesA}, std::pair{c.b, &samplesB}}) {
                samples->resize(kGroundNodeSamples);
                for (int j = 0; j < kGroundNodeSide; ++j)
                    for (int i = 0; i < kGroundNodeSide; ++i)
                        (*samples)[static_cast<size_t>(j * kGroundNodeSide + i)] =
                            peakHeight((node.x * kGroundNodeQuads + i) << node.level, 0);
            }
        }

        static float verticesA[3 * kGroundNodeVertices];
        static float verticesB[3 * kGroundNodeVertices];
        buildNodeVertices(layout, c.a, samplesA.data(), skirtDepth(layout, c.a, bounds.data()), verticesA);
        buildNodeVertices(layout, c.b, samplesB.data(), skirtDepth(layout, c.b, bounds.data()), verticesB);
        const GroundRect ra = nodeRect(layout, c.a);
        const GroundRect rb = nodeRect(layout, c.b);
        const bool alongX = c.edgeOfA % 2 == 0;
        const float lineOfA[4] = {ra.z0, ra.x1, ra.z1, ra.x0};
        const float lineOfB[4] = {rb.z0, rb.x1, rb.z1, rb.x0};
        ASSERT_EQ(lineOfA[c.edgeOfA], lineOfB[(c.edgeOfA + 2) % 4]);
        const NodeEdge edgeA{verticesA, c.edgeOfA, alongX ? ra.x0 : ra.z0, levelSpacing(layout, c.a.level)};
        const NodeEdge edgeB{verticesB, (c.edgeOfA + 2) % 4, alongX ? rb.x0 : rb.z0, levelSpacing(layout, c.b.level)};

        // Both edges bend only at level-0 samples: check at each and between.
        const float from = std::max(edgeA.start, edgeB.start);
        const float to = std::min(ra.x1 - ra.x0 + edgeA.start, rb.x1 - rb.x0 + edgeB.start);
        ASSERT_LT(from, to);
        float widestGap = 0;
        for (float along = from; along <= to; along += layout.sampleSpacing / 2) {
            const float topA = edgeA.top(along);
            const float topB = edgeB.top(along);
            widestGap = std::max(widestGap, std::fabs(topA - topB));
            if (topA > topB)
                ASSERT_LT(edgeA.bottom(along), topB) << along;
            else
                ASSERT_LT(edgeB.bottom(along), topA) << along;
        }
        EXPECT_GT(widestGap, 0.1f); // the levels do part here
    }
}

} // namespace
