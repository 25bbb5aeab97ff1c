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

void setUpViewport(Shell& shell, int width, int height)
{
    shell.fieldOfView = kFieldOfViewDegrees;
    if (shell.zoom == Zoom::On)
        shell.zoom = Zoom::OnDrawnNormal;
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    applyPerspective(shell.fieldOfView, width, height);
}

void applyZoom(Shell& shell)
{
    // Drawn as the toggle stands: a request follows a click, which leaves it On or Off.
    if (shell.zoom == Zoom::OnDrawnNormal)
        shell.zoom = Zoom::On;
    const float fieldOfView = shell.zoom == Zoom::On ? shell.fieldOfView - kZoomReductionDegrees : shell.fieldOfView;
    applyPerspective(fieldOfView, shell.clientRect.right, shell.clientRect.bottom);
}
