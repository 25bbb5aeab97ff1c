#include "terrain/ground_lod.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A 1025 ground (levels 0 to 5, leaves 32 units a side) of known bounds: flat
// at height 0, a node of level l off by 2^l units. Seen at 100 pixels a unit at
// distance 1 with 2 pixels allowed, a node of level l is split while the eye
// is nearer its box than 50 * 2^l units.
const GroundLayout kLayout = *groundLayout(1025);

struct Probe {
    float x, z;
    int level; // of the drawn node over (x, z); -1: none
};

struct SelectionCase {
    Vector3 eye;
    bool culled;                    // only x < 400 in view
    std::vector<GroundNode> absent; // not resident
    std::vector<GroundNode> raised; // their error raised to 10000
    std::vector<Probe> probes;
    std::vector<GroundNode> wanted; // in order
    int drawnCapacity = 2000, wantedCapacity = 8;
};

TEST(GroundSelection, ChoosesLevelsByScreenErrorAndResidence)
{
    FrustumPlanes belowX400; // six equal planes: x < 400 inside
    for (auto& plane : belowX400.planes)
        plane[0] = -1, plane[3] = 400;
    const SelectionCase cases[] = {
        // far off the ground: the root alone
        {{-5000, 10, 512}, false, {}, {}, {{512, 512, 5}}, {}},
        // in the corner: full detail under the eye, coarser away
        {{1, 10, 1}, false, {}, {}, {{1, 1, 0}, {100, 1, 0}, {200, 1, 1}, {300, 1, 2}, {1000, 1000, 3}}, {}},
        // high above: the errors ask for little, the ground under the eye is still full
        {{1, 1000, 1}, false, {}, {}, {{1, 1, 0}, {300, 1, 3}, {1000, 1000, 4}}, {}},
        // nothing wholly behind the plane is drawn; the eye's leaf reaches across it
        {{410, 10, 512}, true, {}, {}, {{410, 520, 0}, {398, 520, 0}, {600, 520, -1}}, {}},
        // a child not resident keeps its parent drawn and is asked for
        {{1, 10, 1}, false, {{2, 2, 0}}, {}, {{300, 1, 3}}, {{2, 2, 0}}},
        // the eye's own path is asked for first, even out of view
        {{500, 10, 512},
         true,
         {{0, 15, 16}, {2, 0, 0}},
         {{3, 0, 0}},
         {{490, 520, -1}, {100, 100, 3}},
         {{0, 15, 16}, {2, 0, 0}}},
        // room for one request: the eye's path keeps it
        {{500, 10, 512}, true, {{0, 15, 16}, {2, 0, 0}}, {{3, 0, 0}}, {}, {{0, 15, 16}}, 2000, 1},
        // the rest by their parent's screen error, larger first
        {{1, 10, 1}, false, {{2, 2, 0}, {2, 6, 6}}, {{3, 3, 3}}, {}, {{2, 6, 6}, {2, 2, 0}}},
        // room for ten nodes: refining stops, and the ground stays covered
        {{1, 10, 1}, false, {}, {}, {}, {}, 10},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::vector<GroundNodeBounds> bounds(size_t(groundNodeCount(kLayout)));
        std::vector<uint8_t> resident(bounds.size(), 1);
        for (size_t n = 0; n < bounds.size(); ++n)
            bounds[n].error = float((1 << groundNodeAt(kLayout, int(n)).level) & ~1);
        for (const GroundNode& node : c.raised)
            bounds[size_t(groundNodeIndex(kLayout, node))].error = 10000;
        for (const GroundNode& node : c.absent)
            resident[size_t(groundNodeIndex(kLayout, node))] = 0;
        LodView view{c.eye, c.culled ? &belowX400 : nullptr, 100, 2};

        std::vector<int> drawn(size_t(c.drawnCapacity) + 1, -7), wanted(size_t(c.wantedCapacity) + 1, -7);
        LodSelection s{drawn.data(), 0, c.drawnCapacity, wanted.data(), 0, c.wantedCapacity, 0};
        selectGroundNodes(kLayout, bounds.data(), resident.data(), view, s);
        EXPECT_TRUE(drawn.back() == -7 && wanted.back() == -7); // nothing past the capacities

        std::vector<int> cover(32 * 32, 0), levelAt(32 * 32, -1); // by leaf
        for (int n = 0; n < s.drawnCount; ++n) {
            const GroundNode node = groundNodeAt(kLayout, s.drawn[n]);
            ASSERT_TRUE(resident[size_t(s.drawn[n])]);
            for (int leaf = 0; leaf < 32 * 32; ++leaf)
                if ((leaf % 32) >> node.level == node.x && (leaf / 32) >> node.level == node.z)
                    ++cover[size_t(leaf)], levelAt[size_t(leaf)] = node.level;
        }
        for (int count : cover)
            ASSERT_EQ(count, c.culled ? std::min(count, 1) : 1);
        for (const Probe& p : c.probes)
            EXPECT_EQ(levelAt[size_t(int(p.z) / 32 * 32 + int(p.x) / 32)], p.level) << p.x << ", " << p.z;
        ASSERT_EQ(s.wantedCount, int(c.wanted.size()));
        for (size_t n = 0; n < c.wanted.size(); ++n)
            EXPECT_EQ(s.wanted[n], groundNodeIndex(kLayout, c.wanted[n])) << n;
        if (c.eye.x > 0 && !c.culled) { // front to back: the node under the eye first
            const GroundNode first = groundNodeAt(kLayout, s.drawn[0]);
            EXPECT_TRUE(int(c.eye.x) / 32 >> first.level == first.x && int(c.eye.z) / 32 >> first.level == first.z);
        }
    }
}

} // namespace
