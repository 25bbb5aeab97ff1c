#pragma once
// The triangles of one node of the fine ground: its kGroundNodeSide x
// kGroundNodeSide samples as a grid of quads, each cut along the diagonal from
// (i, j) to (i + 1, j + 1) and facing up (counter-clockwise seen from above,
// like the original strip), and a skirt hanging down from its four edges, so
// that a neighbour drawn at another level leaves no gap between them. Every
// node shares one index list; only the vertices differ.

#include "terrain/ground_layout.h"

#include <cstdint>

constexpr int kGroundSkirtVertices = 4 * kGroundNodeSide;
constexpr int kGroundNodeVertices = kGroundNodeSamples + kGroundSkirtVertices;
// Two triangles a quad of the grid, and two for each quad of the skirt.
constexpr int kGroundGridTriangles = 2 * kGroundNodeQuads * kGroundNodeQuads;
constexpr int kGroundSkirtTriangles = 2 * 4 * kGroundNodeQuads;
constexpr int kGroundNodeIndices = 3 * (kGroundGridTriangles + kGroundSkirtTriangles);

// The shared index list for GL_TRIANGLES, into the vertices that
// buildNodeVertices writes.
void buildGroundNodeIndices(uint16_t (&indices)[kGroundNodeIndices]);

// How far a node's skirt hangs below its edge: enough to cover the widest gap
// that a neighbour at any level can leave against it. bounds holds one entry
// per node (groundNodeIndex): a much coarser neighbour's gap is bounded by the
// bounds of this node's ancestors.
float skirtDepth(const GroundLayout& layout, GroundNode node, const GroundNodeBounds* bounds);

// Writes the node's vertices as x, y, z in world units (3 floats each) from
// its samples at its level, row by row (z, then x): the grid first, then the skirt.
void buildNodeVertices(const GroundLayout& layout, GroundNode node, const float* samples, float depth,
                       float (&vertices)[3 * kGroundNodeVertices]);
