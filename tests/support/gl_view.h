#pragma once
// The view a GL test draws through: a viewport from the window's lower left
// corner (the test window's 800 x 600 pixels unless a size is given), one
// projection, and an identity modelview matrix, left current for the test's
// own transforms.

#include <GL/gl.h>
#include <GL/glu.h>

// Sets the viewport and leaves a fresh projection matrix current.
inline void beginTestProjection(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
}

inline void endTestProjection()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Identity projection: vertices are clip coordinates, -1 .. 1 on each axis.
inline void useClipSpaceView()
{
    beginTestProjection(800, 600);
    endTestProjection();
}

// An orthographic cube from -half to +half world units on each axis.
inline void useCubeView(double half)
{
    beginTestProjection(800, 600);
    glOrtho(-half, half, -half, half, -half, half);
    endTestProjection();
}

// A perspective of the given vertical field of view, its aspect the viewport's.
inline void usePerspectiveView(double fieldOfViewDegrees, double nearDistance, double farDistance, int width = 800,
                               int height = 600)
{
    beginTestProjection(width, height);
    gluPerspective(fieldOfViewDegrees, static_cast<double>(width) / height, nearDistance, farDistance);
    endTestProjection();
}
