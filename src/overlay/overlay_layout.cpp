#include "overlay/overlay_layout.h"

OverlayPosition viewDirectionPoint(const Camera& camera)
{
    const float dx = camera.viewPoint.x - camera.position.x;
    const float dz = camera.viewPoint.z - camera.position.z;
    return {kCompassCentre.x - kCompassRadius * dx, kCompassCentre.y + kCompassRadius * dz};
}
