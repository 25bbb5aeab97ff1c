#include "overlay/overlay_layout.h"

#include "view/geo_place.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180;

} // namespace

OverlayPosition viewDirectionPoint(const Camera& camera)
{
    const float dx = camera.viewPoint.x - camera.position.x;
    const float dz = camera.viewPoint.z - camera.position.z;
    return {kCompassCentre.x - kCompassRadius * dx, kCompassCentre.y + kCompassRadius * dz};
}

OverlayPosition viewDirectionPoint(const Camera& camera, const GeoReference* reference)
{
    if (!reference)
        return viewDirectionPoint(camera);
    const double length =
        std::hypot(double(camera.viewPoint.x) - camera.position.x, double(camera.viewPoint.z) - camera.position.z);
    const double heading = headingOf(*reference, camera) * kRadiansPerDegree;
    return {kCompassCentre.x + float(kCompassRadius * length * std::sin(heading)),
            kCompassCentre.y + float(kCompassRadius * length * std::cos(heading))};
}

float overlayPixelScale(int pictureHeight)
{
    return pictureHeight > 0 ? float(pictureHeight) / float(kOverlayDesignHeight) : 1;
}

int overlayFontPixels(float pixelScale)
{
    const long pixels = std::lround(double(kOverlayFontPixels) * double(pixelScale));
    return int(std::clamp(pixels, 1L, long(kOverlayMostFontPixels)));
}
