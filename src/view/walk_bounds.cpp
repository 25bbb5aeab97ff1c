#include "view/walk_bounds.h"

#include <algorithm>

namespace {

float limited(float walkedTo, float from, float low, float high)
{
    return std::clamp(walkedTo, std::min(low, from), std::max(high, from));
}

} // namespace

void keepWalkOnDrawnGround(Camera& camera, Vector3 walkStart, const WalkBounds& bounds)
{
    const float x = limited(camera.position.x, walkStart.x, bounds.minX, bounds.maxX);
    const float z = limited(camera.position.z, walkStart.z, bounds.minZ, bounds.maxZ);
    if (x == camera.position.x && z == camera.position.z)
        return;
    // The view point keeps its offset from the eye, so the view does not turn.
    const float viewX = camera.viewPoint.x - camera.position.x;
    const float viewZ = camera.viewPoint.z - camera.position.z;
    camera.position.x = x;
    camera.position.z = z;
    camera.viewPoint.x = x + viewX;
    camera.viewPoint.z = z + viewZ;
}
