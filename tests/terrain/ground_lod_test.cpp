#include "terrain/ground_lod.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace {

// A 1025 ground (levels 0 to 5, leaves 32 units a side) whose bounds are known:
// flat at height 0, a node at level l off by 2^l units. Seen with 100 pixels a
// unit at distance 1 and 2 pixels allowed, a node of level l is split while
// the eye is nearer its box than 50 * 2^l units.
const GroundLayout kLayout = *groundLayout(1025);

std::vector<GroundNodeBounds> knownBounds()
{
    std::vector<GroundNodeBounds> bounds(static_cast<size_t>(groundNodeCount(kLayout)));
    for (int index = 0; index < groundNodeCount(kLayout); ++index) {
        const int level = groundNodeAt(kLayout, index).level;
        bounds[static_cast<size_t>(index)].error = level == 0 ? 0.0f : static_cast<float>(1 << level);
    }
    return bounds;
}

LodView viewFrom(Vector3 eye, const FrustumPlanes* frustum = nullptr)
{
    LodView view;
    view.eye = eye;
    view.frustum = frustum;
    view.pixelsPerUnitAtOne = 100;
    view.allowedError = 2;
    return view;
}

TEST(GroundScreenError, IsTheErrorOverTheDistanceToTheBox)
{
    const GroundNode node{2, 1, 0}; // x 128 .. 256, z 0 .. 128
    const GroundNodeBounds bounds{10, 20, 4};
    struct Case {
        Vector3 eye;
        float error;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {{100, 15, 50}, 4.0f * 100 / 28}, // beside the box
        {{160, 50, 60}, 4.0f * 100 / 30}, // above it
        {{128, 10, 0}, inf},              // on its corner
        {{200, 15, 60}, inf},             // inside it
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(nodeScreenError(kLayout, node, bounds, viewFrom(c.eye)), c.error) << c.eye.x;
    EXPECT_EQ(nodeScreenError(kLayout, node, GroundNodeBounds{10, 20, 0}, viewFrom({200, 15, 60})), 0);
}

// --- The level choice ---------------------------------------------------------

struct Probe {
    float x, z;
    int level; // of the drawn node over (x, z); -1: none drawn there
};

struct SelectionCase {
    const char* what;
    Vector3 eye;
    bool seesOnlyBelowX400;         // else nothing is culled
    std::vector<GroundNode> absent; // not resident
    std::vector<GroundNode> raised; // their error raised to 10000
    int drawnCapacity;
    int wantedCapacity;
    std::vector<Probe> probes;
    std::vector<GroundNode> wanted; // in order
};

int drawnLevelAt(const LodSelection& selection, float x, float z)
{
    for (int n = 0; n < selection.drawnCount; ++n) {
        const GroundNode node = groundNodeAt(kLayout, selection.drawn[n]);
        const GroundRect r = nodeRect(kLayout, node);
        if (x > r.x0 && x < r.x1 && z > r.z0 && z < r.z1)
            return node.level;
    }
    return -1;
}

TEST(GroundSelection, ChoosesLevelsByScreenErrorAndResidence)
{
    FrustumPlanes belowX400; // x < 400 inside, by six equal planes
    for (auto& plane : belowX400.planes) {
        plane[0] = -1;
        plane[3] = 400;
    }
    const int all = 1000;
    const SelectionCase cases[] = {
        {"far off the ground: the root alone", {-5000, 10, 512}, false, {}, {}, all, 8, {{512, 512, 5}}, {}},
        {"in the corner: full detail under the eye, coarser away",
         {0.5f, 10, 0.5f},
         false,
         {},
         {},
         all,
         8,
         {{0.5f, 0.5f, 0}, {100, 0.5f, 0}, {200, 0.5f, 1}, {300, 0.5f, 2}, {1000, 1000, 3}},
         {}},
        {"high above the corner: the error asks for little, the ground under the eye is still full",
         {0.5f, 1000, 0.5f},
         false,
         {},
         {},
         all,
         8,
         {{0.5f, 0.5f, 0}, {300, 0.5f, 3}, {1000, 1000, 4}},
         {}},
        {"nothing wholly behind the plane is drawn; the eye's leaf reaches across it",
         {410, 10, 512},
         true,
         {},
         {},
         all,
         8,
         {{410, 520, 0}, {398, 520, 0}, {600, 520, -1}},
         {}},
        {"a child not resident keeps its parent drawn and is asked for",
         {0.5f, 10, 0.5f},
         false,
         {{2, 2, 0}},
         {},
         all,
         8,
         {{300, 0.5f, 3}, {0.5f, 0.5f, 0}},
         {{2, 2, 0}}},
        {"the eye's own path is asked for first, even out of view",
         {500, 10, 512},
         true,
         {{0, 15, 16}, {2, 0, 0}},
         {{3, 0, 0}},
         all,
         8,
         {{490, 520, -1}, {100, 100, 3}},
         {{0, 15, 16}, {2, 0, 0}}},
        {"with room for one request, the eye's path keeps it",
         {500, 10, 512},
         true,
         {{0, 15, 16}, {2, 0, 0}},
         {{3, 0, 0}},
         all,
         1,
         {},
         {{0, 15, 16}}},
        {"by the parent's screen error: the far node with the larger error first",
         {0.5f, 10, 0.5f},
         false,
         {{2, 2, 0}, {2, 6, 6}},
         {{3, 3, 3}},
         all,
         8,
         {},
         {{2, 6, 6}, {2, 2, 0}}},
        {"with room for ten nodes, refining stops and the ground stays covered",
         {0.5f, 10, 0.5f},
         false,
         {},
         {},
         10,
         8,
         {},
         {}},
    };

    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<GroundNodeBounds> bounds = knownBounds();
        for (const GroundNode& node : c.raised)
            bounds[static_cast<size_t>(groundNodeIndex(kLayout, node))].error = 10000;
        std::vector<uint8_t> resident(bounds.size(), 1);
        for (const GroundNode& node : c.absent)
            resident[static_cast<size_t>(groundNodeIndex(kLayout, node))] = 0;
        const LodView view = viewFrom(c.eye, c.seesOnlyBelowX400 ? &belowX400 : nullptr);

        const int sentinel = -7;
        std::vector<int> drawn(static_cast<size_t>(c.drawnCapacity) + 1, sentinel);
        std::vector<int> wanted(static_cast<size_t>(c.wantedCapacity) + 1, sentinel);
        LodSelection selection;
        selection.drawn = drawn.data();
        selection.drawnCapacity = c.drawnCapacity;
        selection.wanted = wanted.data();
        selection.wantedCapacity = c.wantedCapacity;
        selectGroundNodes(kLayout, bounds.data(), resident.data(), view, selection);
        EXPECT_EQ(drawn.back(), sentinel);
        EXPECT_EQ(wanted.back(), sentinel);
        ASSERT_LE(selection.drawnCount, c.drawnCapacity);

        for (const Probe& p : c.probes)
            EXPECT_EQ(drawnLevelAt(selection, p.x, p.z), p.level) << p.x << ", " << p.z;
        ASSERT_EQ(selection.wantedCount, static_cast<int>(c.wanted.size()));
        for (size_t n = 0; n < c.wanted.size(); ++n)
            EXPECT_EQ(selection.wanted[n], groundNodeIndex(kLayout, c.wanted[n])) << n;

        // Every leaf's square is drawn once, or (when culled) at most once.
        std::vector<int> cover(32 * 32, 0);
        float largest = 0;
        bool refinedAsAsked = true;
        for (int n = 0; n < selection.drawnCount; ++n) {
            const GroundNode node = groundNodeAt(kLayout, selection.drawn[n]);
            ASSERT_TRUE(resident[static_cast<size_t>(selection.drawn[n])]);
            const int span = 1 << node.level;
            for (int z = node.z * span; z < (node.z + 1) * span; ++z)
                for (int x = node.x * span; x < (node.x + 1) * span; ++x)
                    ++cover[static_cast<size_t>(z * 32 + x)];
            const float error = nodeScreenError(kLayout, node, bounds[static_cast<size_t>(selection.drawn[n])], view);
            largest = std::max(largest, error);
            refinedAsAsked = refinedAsAsked && (node.level == 0 || error <= view.allowedError);
            if (c.seesOnlyBelowX400) {
                EXPECT_LT(nodeRect(kLayout, node).x0, 400);
            }
        }
        for (int count : cover)
            ASSERT_EQ(count, c.seesOnlyBelowX400 ? std::min(count, 1) : 1);
        EXPECT_EQ(selection.largestScreenError, largest);
        if (c.absent.empty() && c.drawnCapacity == all) {
            EXPECT_TRUE(refinedAsAsked);
        }
        if (!c.seesOnlyBelowX400 && c.drawnCapacity == all && c.eye.x > 0) {
            // Front to back: the eye's leaf first, the far corner's node last.
            EXPECT_EQ(selection.drawn[0], groundNodeIndex(kLayout, leafNodeAt(kLayout, c.eye.x, c.eye.z)));
            const GroundNode last = groundNodeAt(kLayout, selection.drawn[selection.drawnCount - 1]);
            EXPECT_EQ(last.x, (1 << (5 - last.level)) - 1);
            EXPECT_EQ(last.z, (1 << (5 - last.level)) - 1);
        }
    }
}

} // namespace
