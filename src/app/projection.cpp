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
    shell.zoomDrawn = false;
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    applyPerspective(shell.fieldOfView, width, height);
}

void applyZoom(Shell& shell)
{
    shell.zoomDrawn = shell.zoomed;
    // A resize returns the projection to the normal field of view while
    // zoomed stays as it is.
    const float fieldOfView = shell.zoomed ? shell.fieldOfView - kZoomReductionDegrees : shell.fieldOfView;
    applyPerspective(fieldOfView, shell.clientRect.right, shell.clientRect.bottom);
}
