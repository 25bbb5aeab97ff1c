#pragma once
// Where walking may take the eye: over the drawn ground. The terrain strip
// spans x from 0 to 1032 and z from 0 to 1024 in world units; a fine ground
// spans 0 to 1024 both ways. The height lookup wraps beyond it, but nothing
// is drawn there, so a walker who went on would stand on invisible ground
// above nothing.
//
// At an edge the walker stops across it and slides along it. Placement is not
// limited, and an eye that already stands outside is never pushed further
// out, nor pulled in with a jump: each axis keeps at least the room it had.

#include "terrain/ground_layout.h"
#include "terrain/terrain_mesh.h"
#include "view/camera.h"

// The strip's last band starts at x = 1024 and ends a grid step further.
constexpr float kWalkMinX = 0;
constexpr float kWalkMaxX = kTerrainColumnCount * kTerrainGridStep;
constexpr float kWalkMinZ = 0;
constexpr float kWalkMaxZ = (kTerrainRowCount - 1) * kTerrainGridStep;

struct WalkBounds {
    float minX, maxX, minZ, maxZ; // world units
};
constexpr WalkBounds kStripWalkBounds = {kWalkMinX, kWalkMaxX, kWalkMinZ, kWalkMaxZ};
constexpr WalkBounds kFineGroundWalkBounds = {0, kGroundWorldSize, 0, kGroundWorldSize};

// After a walk from walkStart: moves the eye back within the bounds and the
// view point by the same amount, so the view direction stays as it was.
void keepWalkOnDrawnGround(Camera& camera, Vector3 walkStart, const WalkBounds& bounds = kStripWalkBounds);
