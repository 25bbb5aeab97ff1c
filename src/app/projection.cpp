#include "app/projection.h"

#include <GL/gl.h>
#include <GL/glu.h>

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
    const float fieldOfView =
        drawing.zoom == Zoom::On ? drawing.fieldOfView - kZoomReductionDegrees : drawing.fieldOfView;
    applyPerspective(fieldOfView, clientRect.right, clientRect.bottom);
}
