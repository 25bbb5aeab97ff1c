#include "app/projection.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

void applyPerspective(double fieldOfViewDegrees, int width, int height)
{
    if (height == 0)
        height = 1;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfViewDegrees, static_cast<double>(width) / static_cast<double>(height), kNearPlane,
                   kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

} // namespace

void setUpViewport(Drawing& drawing, int width, int height)
{
    drawing.fieldOfView = kFieldOfViewDegrees;
    if (drawing.zoom == Zoom::On)
        drawing.zoom = Zoom::OnDrawnNormal;
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    applyPerspective(drawing.fieldOfView, width, height);
}

void applyZoom(Drawing& drawing, const ClientRect& clientRect)
{
    // Drawn as the toggle stands: a request follows a click, which leaves it On or Off.
    if (drawing.zoom == Zoom::OnDrawnNormal)
        drawing.zoom = Zoom::On;
    applyPerspective(drawnFieldOfView(drawing), clientRect.right, clientRect.bottom);
}

float drawnFieldOfView(const Drawing& drawing)
{
    return drawing.zoom == Zoom::On ? drawing.fieldOfView - kZoomReductionDegrees : drawing.fieldOfView;
}

float pixelsPerUnitAtOne(const Drawing& drawing, const ClientRect& clientRect)
{
    const FrameSurface& surface = drawing.surface;
    const int height = surface.kind == SurfaceKind::Window ? clientRect.bottom : surface.target.height;
    constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
    const double halfView = 0.5 * static_cast<double>(drawnFieldOfView(drawing)) * kRadiansPerDegree;
    return static_cast<float>(static_cast<double>(height) / (2.0 * std::tan(halfView)));
}
