#include "view/walk_bounds.h"

#include "view/held_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

void stayPut(int& x, int& y) { x = kCursorHoldX, y = kCursorHoldY; }
void ignore(int, int) {}
const CursorAccess stillCursor{stayPut, ignore};

TEST(WalkBounds, AreTheStripsOwnExtent)
{
    int minX = INT_MAX, maxX = INT_MIN, minZ = INT_MAX, maxZ = INT_MIN;
    for (int index = 0; index < kTerrainVertexCount; ++index) {
        const TerrainVertex vertex = terrainStripVertex(index);
        minX = std::min(minX, vertex.x), maxX = std::max(maxX, vertex.x);
        minZ = std::min(minZ, vertex.z), maxZ = std::max(maxZ, vertex.z);
    }
    EXPECT_EQ(minX, kWalkMinX);
    EXPECT_EQ(maxX, kWalkMaxX);
    EXPECT_EQ(minZ, kWalkMinZ);
    EXPECT_EQ(maxZ, kWalkMaxZ);
}

TEST(WalkBounds, TheWalkerStopsAtEachEdgeAndSlidesAlongIt)
{
    struct Case {
        const char* what;
        float x, z;            // eye at height 35, looking one unit along +x
        std::vector<int> keys; // held for one second: 12 units per key
        float endX, endZ;
        WalkBounds bounds = kStripWalkBounds;
    };
    const Case cases[] = {
        {"west", 2, 500, {'S'}, 0, 500},
        {"east", 1030, 500, {'W'}, 1032, 500},
        {"south", 500, 3, {'A'}, 500, 0},
        {"north", 500, 1020, {'D'}, 500, 1024},
        {"slides along the east edge", 1030, 500, {'W', 'D'}, 1032, 512},
        {"stops in the corner", 1, 1, {'S', 'A'}, 0, 0},
        {"up to the edge exactly", 1020, 1012, {'W', 'D'}, 1032, 1024},
        {"near the edge, unhindered", 1019, 500, {'W'}, 1031, 500},
        {"outside: never further out", 1040, -5, {'W', 'A'}, 1040, -5},
        {"outside: back in as usual", 1040, -5, {'S', 'D'}, 1028, 7},
        // A fine ground ends at 1024 both ways.
        {"fine: east", 1020, 500, {'W'}, 1024, 500, kFineGroundWalkBounds},
        {"fine: north", 500, 1020, {'D'}, 500, 1024, kFineGroundWalkBounds},
        {"fine: west, stops at 0", 2, 500, {'S'}, 0, 500, kFineGroundWalkBounds},
        {"fine: outside the ground, never further out", 1030, 500, {'W'}, 1030, 500, kFineGroundWalkBounds},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Camera camera;
        camera.place({c.x, 35, c.z}, {c.x + 1, 35, c.z}, kUpVector);
        const Vector3 walkStart = camera.position;
        camera.update(holding(c.keys), 1, stillCursor);
        keepWalkOnDrawnGround(camera, walkStart, c.bounds);
        EXPECT_FLOAT_EQ(camera.position.x, c.endX);
        EXPECT_FLOAT_EQ(camera.position.z, c.endZ);
        // The view point moves with the eye: the view does not turn.
        EXPECT_FLOAT_EQ(camera.viewPoint.x, c.endX + 1);
        EXPECT_FLOAT_EQ(camera.viewPoint.z, c.endZ);
        EXPECT_FLOAT_EQ(camera.viewPoint.y, 35);
    }
}

} // namespace
