#include "bench/camera_path.h"

#include <cmath>

void startCameraPath(CameraPath& path, Camera& camera, float eyeHeight)
{
    path.heading = 0;
    camera.place({kPathStartX, eyeHeight, kPathStartZ}, {kPathStartX + 1, eyeHeight, kPathStartZ}, kUpVector);
}

void stepCameraPath(CameraPath& path, Camera& camera, float seconds)
{
    camera.speed = kPathWalkSpeed * seconds;
    path.heading += kPathTurnRate * seconds;
    const float dx = std::cos(path.heading);
    const float dz = -std::sin(path.heading);
    Vector3 eye = camera.position;
    eye.x += camera.speed * dx;
    eye.z += camera.speed * dz;
    // Ground following moves the eye and the view point together, so the view
    // stays level whatever the ground does.
    camera.place({eye.x, eye.y, eye.z}, {eye.x + dx, eye.y, eye.z + dz}, kUpVector);
}
