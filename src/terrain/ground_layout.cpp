#include "terrain/ground_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The levels, from 1, whose error bounds are exact: each costs one pass over
// every sample; above them the bound is summed level by level.
constexpr int kExactErrorLevels = 4;

// Nodes of every level coarser than this one: the levels come root first.
int levelFirstIndex(const GroundLayout& layout, int level)
{
    const int steps = rootLevel(layout) - level;
    return ((1 << (2 * steps)) - 1) / 3; // 1 + 4 + 16 + ... over the coarser levels
}

// Where a world coordinate falls along a node's side, in quads of the node's
// level: the quad (clamped onto the node) and how far across it.
void locateInNode(float local, int& quad, float& across)
{
    if (!(local > 0)) // also NaN
        local = 0;
    local = std::min(local, static_cast<float>(kGroundNodeQuads));
    quad = std::min(static_cast<int>(local), kGroundNodeQuads - 1);
    across = local - static_cast<float>(quad);
}

// The float at or above a double, so that a bound rounded to float stays a bound.
float roundedUp(double value)
{
    float result = static_cast<float>(value);
    if (static_cast<double>(result) < value)
        result = std::nextafter(result, std::numeric_limits<float>::infinity());
    return result;
}

// The exact error of every node at that level (l > 0), into error: the
// node's surface and the full detail are both linear on each level-0
// triangle (the diagonals run the same way), so the most they part is at one
// of level 0's samples. Each level-l quad is visited with its edges, so a
// node's edge samples count for it.
void exactLevelErrors(const GroundLayout& layout, const float* heights, int level, std::vector<double>& error)
{
    const int step = 1 << level;
    const double inverse = 1.0 / step;
    const int quads = levelSide(layout, level) - 1;
    const size_t side = static_cast<size_t>(layout.side);
    for (int b = 0; b < quads; ++b) {
        for (int a = 0; a < quads; ++a) {
            const float* corner = heights + static_cast<size_t>(b * step) * side + static_cast<size_t>(a * step);
            const double h00 = corner[0];
            const double h10 = corner[step];
            const double h01 = corner[static_cast<size_t>(step) * side];
            const double h11 = corner[static_cast<size_t>(step) * side + static_cast<size_t>(step)];
            double most = 0;
            for (int j = 0; j <= step; ++j) {
                const float* row = corner + static_cast<size_t>(j) * side;
                const double v = j * inverse;
                for (int i = 0; i <= step; ++i) {
                    const double u = i * inverse;
                    // Cut from (0, 0) to (1, 1), as nodeSurfaceHeight cuts it.
                    const double surface =
                        u >= v ? h00 + u * (h10 - h00) + v * (h11 - h10) : h00 + v * (h01 - h00) + u * (h11 - h01);
                    most = std::max(most, std::fabs(row[i] - surface));
                }
            }
            const size_t node = static_cast<size_t>(
                groundNodeIndex(layout, GroundNode{level, a / kGroundNodeQuads, b / kGroundNodeQuads}));
            error[node] = std::max(error[node], most);
        }
    }
}

} // namespace


std::optional<GroundLayout> groundLayout(int side)
{
    if (side < kLeastFineGroundSide || side > kMostFineGroundSide)
        return std::nullopt;
    const int quads = side - 1;
    if ((quads & (quads - 1)) != 0)
        return std::nullopt;
    GroundLayout layout;
    layout.side = side;
    layout.levelCount = 1;
    for (int across = quads; across > kGroundNodeQuads; across /= 2)
        ++layout.levelCount;
    layout.sampleSpacing = kGroundWorldSize / static_cast<float>(quads); // a power of two, so exact
    return layout;
}

int rootLevel(const GroundLayout& layout) { return layout.levelCount - 1; }

int levelSide(const GroundLayout& layout, int level) { return ((layout.side - 1) >> level) + 1; }

int nodesAcross(const GroundLayout& layout, int level) { return 1 << (rootLevel(layout) - level); }

int groundNodeCount(const GroundLayout& layout) { return levelFirstIndex(layout, -1); }

float levelSpacing(const GroundLayout& layout, int level)
{
    return layout.sampleSpacing * static_cast<float>(1 << level);
}

int groundNodeIndex(const GroundLayout& layout, GroundNode node)
{
    return levelFirstIndex(layout, node.level) + node.z * nodesAcross(layout, node.level) + node.x;
}

GroundNode groundNodeAt(const GroundLayout& layout, int index)
{
    GroundNode node;
    node.level = rootLevel(layout);
    while (node.level > 0 && index >= levelFirstIndex(layout, node.level - 1))
        --node.level;
    const int within = index - levelFirstIndex(layout, node.level);
    const int across = nodesAcross(layout, node.level);
    node.x = within % across;
    node.z = within / across;
    return node;
}

std::optional<GroundNode> parentNode(const GroundLayout& layout, GroundNode node)
{
    if (node.level >= rootLevel(layout))
        return std::nullopt;
    return GroundNode{node.level + 1, node.x / 2, node.z / 2};
}

GroundNode childNode(GroundNode node, int child)
{
    return GroundNode{node.level - 1, 2 * node.x + (child & 1), 2 * node.z + (child >> 1)};
}

GroundNode leafNodeAt(const GroundLayout& layout, float x, float z)
{
    const float nodeSize = static_cast<float>(kGroundNodeQuads) * layout.sampleSpacing;
    const int across = nodesAcross(layout, 0);
    auto column = [&](float coordinate) {
        if (!(coordinate > 0)) // also NaN
            return 0;
        if (coordinate >= kGroundWorldSize)
            return across - 1;
        return std::min(static_cast<int>(coordinate / nodeSize), across - 1);
    };
    return GroundNode{0, column(x), column(z)};
}

GroundRect nodeRect(const GroundLayout& layout, GroundNode node)
{
    const float size = static_cast<float>(kGroundNodeQuads) * levelSpacing(layout, node.level);
    const float x0 = static_cast<float>(node.x) * size;
    const float z0 = static_cast<float>(node.z) * size;
    return GroundRect{x0, z0, x0 + size, z0 + size};
}

float nodeSurfaceHeight(const GroundLayout& layout, GroundNode node, const float* samples, float x, float z)
{
    const GroundRect rect = nodeRect(layout, node);
    const float spacing = levelSpacing(layout, node.level);
    int i = 0;
    int j = 0;
    float fu = 0;
    float fv = 0;
    locateInNode((x - rect.x0) / spacing, i, fu);
    locateInNode((z - rect.z0) / spacing, j, fv);
    const float* row = samples + j * kGroundNodeSide + i;
    const float h00 = row[0];
    const float h10 = row[1];
    const float h01 = row[kGroundNodeSide];
    const float h11 = row[kGroundNodeSide + 1];
    // The quad's two triangles meet along its diagonal from (i, j) to (i + 1, j + 1).
    if (fu >= fv)
        return h00 + fu * (h10 - h00) + fv * (h11 - h10);
    return h00 + fv * (h01 - h00) + fu * (h11 - h01);
}

float levelSample(const GroundLayout& layout, const float* heights, int level, int i, int j)
{
    return heights[(static_cast<size_t>(j) << level) * static_cast<size_t>(layout.side) +
                   (static_cast<size_t>(i) << level)];
}

// Min and max come exactly from level 0's samples, and a parent's square is its
// children's squares together, so a parent's are its children's. The error is
// bounded level by level: every level's triangles are cut by the next finer
// level's (the diagonals run the same way), so on each finer triangle the gap
// between a node's surface and its child's is linear and largest at the
// child's samples, and
//     error(node) <= max over children (error(child) + largest gap at the child's samples).
// That sum is loose, about one and a half times the truth, and a looser
// bound draws more triangles for the same pixels; so the finest levels, where
// most of a frame's nodes are, take their exact errors from every level-0
// sample, and only the levels above them are bounded by the sum.
// This reads each sample about once per level above it, however large the ground.
std::vector<GroundNodeBounds> computeGroundNodeBounds(const GroundLayout& layout, const float* heights)
{
    std::vector<GroundNodeBounds> bounds(static_cast<size_t>(groundNodeCount(layout)));
    std::vector<double> error(bounds.size(), 0.0);
    const int exactLevels = std::min(kExactErrorLevels, rootLevel(layout));
    for (int level = 1; level <= exactLevels; ++level)
        exactLevelErrors(layout, heights, level, error);

    const int leafAcross = nodesAcross(layout, 0);
    for (int nz = 0; nz < leafAcross; ++nz) {
        for (int nx = 0; nx < leafAcross; ++nx) {
            float low = std::numeric_limits<float>::infinity();
            float high = -low;
            for (int j = 0; j < kGroundNodeSide; ++j) {
                const float* row = heights + static_cast<size_t>(nz * kGroundNodeQuads + j) * layout.side +
                                   static_cast<size_t>(nx * kGroundNodeQuads);
                for (int i = 0; i < kGroundNodeSide; ++i) {
                    low = std::min(low, row[i]);
                    high = std::max(high, row[i]);
                }
            }
            GroundNodeBounds& leaf = bounds[static_cast<size_t>(groundNodeIndex(layout, GroundNode{0, nx, nz}))];
            leaf.minHeight = low;
            leaf.maxHeight = high;
        }
    }

    for (int level = 0; level < rootLevel(layout); ++level) {
        const int across = nodesAcross(layout, level);
        for (int nz = 0; nz < across; ++nz) {
            for (int nx = 0; nx < across; ++nx) {
                const GroundNode child{level, nx, nz};
                const size_t childIndex = static_cast<size_t>(groundNodeIndex(layout, child));
                const size_t parentIndex = static_cast<size_t>(groundNodeIndex(layout, *parentNode(layout, child)));

                // The parent's surface at the child's sample (a, b), in this level's
                // sample numbers: a parent sample where both are even, else the middle
                // of a parent edge or of a parent diagonal.
                double gap = 0;
                for (int b = nz * kGroundNodeQuads; level + 1 > exactLevels && b <= (nz + 1) * kGroundNodeQuads; ++b) {
                    for (int a = nx * kGroundNodeQuads; a <= (nx + 1) * kGroundNodeQuads; ++a) {
                        if (((a | b) & 1) == 0)
                            continue;
                        const double here = levelSample(layout, heights, level, a, b);
                        const double across0 = levelSample(layout, heights, level, a & ~1, b & ~1);
                        const double across1 = levelSample(layout, heights, level, (a + 1) & ~1, (b + 1) & ~1);
                        gap = std::max(gap, std::fabs(here - 0.5 * (across0 + across1)));
                    }
                }

                GroundNodeBounds& parent = bounds[parentIndex];
                const GroundNodeBounds& own = bounds[childIndex];
                const bool first = (nx % 2 == 0) && (nz % 2 == 0);
                parent.minHeight = first ? own.minHeight : std::min(parent.minHeight, own.minHeight);
                parent.maxHeight = first ? own.maxHeight : std::max(parent.maxHeight, own.maxHeight);
                if (level + 1 > exactLevels)
                    error[parentIndex] = std::max(error[parentIndex], error[childIndex] + gap);
            }
        }
    }

    for (size_t index = 0; index < bounds.size(); ++index)
        bounds[index].error = roundedUp(error[index]);
    return bounds;
}
