#include "terrain/ground_mesh.h"

#include <algorithm>

namespace {

// The skirt's four edges, each kGroundNodeSide vertices below the grid's edge
// samples, in this order:
//
//        z0: edge 0, i = 0 .. 32
//      +------------->
//  x0  |             |  x1
// edge |    grid     | edge 1,
//  3   |             | j = 0 .. 32
//      v------------>v
//        z1: edge 2, i = 0 .. 32        (edge 3 runs j = 0 .. 32 too)
struct SkirtEdge {
    int firstSample; // the grid vertex above the edge's first skirt vertex
    int sampleStep;  // from one grid vertex to the next along the edge
    bool turnedOver; // whether the quads must be wound the other way to face out
};
constexpr SkirtEdge kSkirtEdges[4] = {
    {0, 1, false},                                 // z = z0, facing -z
    {kGroundNodeQuads, kGroundNodeSide, false},    // x = x1, facing +x
    {kGroundNodeQuads * kGroundNodeSide, 1, true}, // z = z1, facing +z
    {0, kGroundNodeSide, true},                    // x = x0, facing -x
};

} // namespace

void buildGroundNodeIndices(uint16_t (&indices)[kGroundNodeIndices])
{
    int n = 0;
    auto triangle = [&](int a, int b, int c) {
        indices[n++] = static_cast<uint16_t>(a);
        indices[n++] = static_cast<uint16_t>(b);
        indices[n++] = static_cast<uint16_t>(c);
    };
    // Quad (i, j), x to the right and z down, cut from (i, j) to (i + 1, j + 1);
    // both triangles wound counter-clockwise seen from above (y up):
    //   v00 --- v10
    //    |  \    |
    //    |    \  |
    //   v01 --- v11
    for (int j = 0; j < kGroundNodeQuads; ++j) {
        for (int i = 0; i < kGroundNodeQuads; ++i) {
            const int v00 = j * kGroundNodeSide + i;
            const int v10 = v00 + 1;
            const int v01 = v00 + kGroundNodeSide;
            const int v11 = v01 + 1;
            triangle(v00, v11, v10);
            triangle(v00, v01, v11);
        }
    }
    for (int edge = 0; edge < 4; ++edge) {
        const SkirtEdge& e = kSkirtEdges[edge];
        for (int k = 0; k < kGroundNodeQuads; ++k) {
            const int topA = e.firstSample + k * e.sampleStep;
            const int topB = topA + e.sampleStep;
            const int bottomA = kGroundNodeSamples + edge * kGroundNodeSide + k;
            const int bottomB = bottomA + 1;
            if (e.turnedOver) {
                triangle(topA, bottomB, topB);
                triangle(topA, bottomA, bottomB);
            } else {
                triangle(topA, topB, bottomB);
                triangle(topA, bottomB, bottomA);
            }
        }
    }
}

// Two nodes that share an edge draw it from the same level-0 heights, but each
// joins them at its own level. Along the edge the finer node's line bends only
// at its own vertices, which are level-0 samples, and so does the difference
// of the two lines: the gap is widest at one of those vertices, where the finer
// node is exact, so it is at most the coarser node's error there. The higher
// edge's skirt must reach the lower one. The neighbour may be at any level, so
// the bound comes from this node's side alone:
// - A finer neighbour leaves at most this node's own error.
// - A neighbour m levels up draws, along this node, the edge of this node's
//   ancestor at that level (the same samples, joined the same way), so the gap
//   is at most that ancestor's error.
// - Up to five levels up (its quads at most this node's side) it joins samples
//   that lie on this node's edge, so both edges stay within the node's own
//   lowest and highest heights; from six levels up its samples around this node
//   are the corners of the ancestor five levels below it, so the gap is also
//   at most that ancestor's height range. The smaller bound holds.
// A tenth of a quad more keeps the meeting of the two edges watertight after rounding.
float skirtDepth(const GroundLayout& layout, GroundNode node, const GroundNodeBounds* bounds)
{
    auto boundsOf = [&](GroundNode n) -> const GroundNodeBounds& { return bounds[groundNodeIndex(layout, n)]; };
    auto ancestorAt = [&](int level) {
        const int up = level - node.level;
        return GroundNode{level, node.x >> up, node.z >> up};
    };
    const GroundNodeBounds& own = boundsOf(node);
    float depth = own.error;
    // The root has no neighbours, so the coarsest neighbour is one level below it.
    for (int level = node.level + 1; level < rootLevel(layout); ++level) {
        const GroundNodeBounds& range = boundsOf(level - node.level <= 5 ? node : ancestorAt(level - 5));
        depth = std::max(depth, std::min(range.maxHeight - range.minHeight, boundsOf(ancestorAt(level)).error));
    }
    return depth + 0.1f * levelSpacing(layout, node.level);
}

void buildNodeVertices(const GroundLayout& layout, GroundNode node, const float* samples, float depth,
                       float (&vertices)[3 * kGroundNodeVertices])
{
    const GroundRect rect = nodeRect(layout, node);
    const float spacing = levelSpacing(layout, node.level);
    float* out = vertices;
    for (int j = 0; j < kGroundNodeSide; ++j) {
        for (int i = 0; i < kGroundNodeSide; ++i) {
            *out++ = rect.x0 + static_cast<float>(i) * spacing;
            *out++ = samples[j * kGroundNodeSide + i];
            *out++ = rect.z0 + static_cast<float>(j) * spacing;
        }
    }
    for (const SkirtEdge& e : kSkirtEdges) {
        for (int k = 0; k < kGroundNodeSide; ++k) {
            const float* top = vertices + 3 * (e.firstSample + k * e.sampleStep);
            *out++ = top[0];
            *out++ = top[1] - depth;
            *out++ = top[2];
        }
    }
}
