#include "view/camera.h"

#include <GL/glu.h>

void Camera::place(float px, float py, float pz, float vx, float vy, float vz, float ux, float uy, float uz)
{
    position = {px, py, pz};
    viewPoint = {vx, vy, vz};
    upVector = {ux, uy, uz};
}

void Camera::update(const KeyStateTable& /*keys*/, float /*clockDelta*/)
{
    // Mouse look and walking come with the camera's own work.
}

void Camera::applyView() const
{
    gluLookAt(position.x, position.y, position.z, viewPoint.x, viewPoint.y, viewPoint.z, upVector.x, upVector.y,
              upVector.z);
}
