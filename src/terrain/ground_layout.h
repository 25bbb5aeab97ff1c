#pragma once
// The fine ground's layout: a square of N = 2^k + 1 heights (1025 to 16385 on
// a side) over the world's 1024 x 1024 units, kept at every level of detail.
// Level 0 is the full detail; level l has (N - 1) / 2^l + 1 samples on a side,
// and its sample (i, j) is the full detail's sample (i * 2^l, j * 2^l), so a
// coarse vertex always lies on the full-detail surface. Sample (i, j) of level
// 0 lies at x = i * 1024 / (N - 1), z = j * 1024 / (N - 1).
//
// The ground is cut into nodes of kGroundNodeQuads x kGroundNodeQuads quads at
// their own level: one node at the root level covers the whole ground, and
// each node has four children one level finer. Nodes are numbered densely,
// the root first, then level by level towards the full detail, each level's
// nodes row by row (z, then x).
//
// Every quad of every level is cut along the diagonal from (i, j) to
// (i + 1, j + 1), as the original terrain strip cuts its quads.

#include <cstdint>
#include <optional>
#include <vector>

constexpr int kGroundNodeQuads = 32;                     // quads along a node's side, at its level
constexpr int kGroundNodeSide = kGroundNodeQuads + 1;    // samples along a node's side
constexpr int kGroundNodeSamples = kGroundNodeSide * kGroundNodeSide;
constexpr int kLeastFineGroundSide = 1025;
constexpr int kMostFineGroundSide = 16385;
constexpr float kGroundWorldSize = 1024;                 // world units across the fine ground
constexpr float kDefaultTerrainError = 2.0f;             // pixels on the drawing surface

struct GroundLayout {
    int side = 0;        // N, samples along a side at level 0
    int levelCount = 0;  // levels 0 .. levelCount - 1; the last is the root's, kGroundNodeSide a side
    float sampleSpacing = 0; // world units between level-0 samples: 1024 / (N - 1)
};

// The layout of a ground of that side; none unless it is 2^k + 1 from 1025 to 16385.
std::optional<GroundLayout> groundLayout(int side);

int rootLevel(const GroundLayout& layout);                  // levelCount - 1
int levelSide(const GroundLayout& layout, int level);       // samples along a side at that level
int nodesAcross(const GroundLayout& layout, int level);     // 2^(root - level)
int groundNodeCount(const GroundLayout& layout);            // over every level
float levelSpacing(const GroundLayout& layout, int level);  // world units between that level's samples

// A node: its level and its column (x) and row (z) among that level's nodes.
struct GroundNode {
    int level = 0;
    int x = 0;
    int z = 0;
};

int groundNodeIndex(const GroundLayout& layout, GroundNode node);
GroundNode groundNodeAt(const GroundLayout& layout, int index);
// The node one level coarser that holds this one; the root has none.
std::optional<GroundNode> parentNode(const GroundLayout& layout, GroundNode node);
// Child 0..3: (2x, 2z), (2x + 1, 2z), (2x, 2z + 1), (2x + 1, 2z + 1) one level finer.
GroundNode childNode(GroundNode node, int child);
// The level-0 node under a world point, clamped onto the ground.
GroundNode leafNodeAt(const GroundLayout& layout, float x, float z);

// The node's square in world units: [x0, x1] x [z0, z1].
struct GroundRect {
    float x0, z0, x1, z1;
};
GroundRect nodeRect(const GroundLayout& layout, GroundNode node);

// What the generator stores for each node, so that the viewer can choose a
// node's level and cull it without reading its heights: the lowest and highest
// full-detail height inside it (edges included), and the most that the node's
// own surface lies from the full-detail surface anywhere inside it (0 at level
// 0). Heights in world units.
struct GroundNodeBounds {
    float minHeight = 0;
    float maxHeight = 0;
    float error = 0;
};

// The height of a node's surface, as its triangles cut it, at a world point
// inside or on the edge of its square. samples holds the node's
// kGroundNodeSide x kGroundNodeSide heights at its level, row by row (z, then x).
float nodeSurfaceHeight(const GroundLayout& layout, GroundNode node, const float* samples, float x, float z);

// The bounds of every node (by groundNodeIndex) of a ground whose level-0
// heights are given, row by row (z, then x), side x side. The error bounds
// may be larger than the exact ones, never smaller. The generator stores them.
std::vector<GroundNodeBounds> computeGroundNodeBounds(const GroundLayout& layout, const float* heights);
// Level l's sample (i, j): the level-0 sample (i * 2^l, j * 2^l).
float levelSample(const GroundLayout& layout, const float* heights, int level, int i, int j);
