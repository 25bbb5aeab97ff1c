#include "view/frustum.h"

#include <GL/gl.h>

#include <cmath>

void FrustumPlanes::extract()
{
    float projection[16];
    float modelView[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    setFromMatrices(projection, modelView);
}

void FrustumPlanes::setFromMatrices(const float projection[16], const float modelView[16])
{
    const float* p = projection;
    const float* m = modelView;
    float clip[16];
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            clip[4 * col + row] = m[4 * col + 0] * p[row] + m[4 * col + 1] * p[4 + row] +
                                  m[4 * col + 2] * p[8 + row] + m[4 * col + 3] * p[12 + row];
        }
    }

    // Each plane is row 3 (w) plus or minus one row of the clip matrix:
    // right, left, bottom, top, far, near.
    static constexpr int kRow[kPlaneCount] = {0, 0, 1, 1, 2, 2};
    static constexpr float kSign[kPlaneCount] = {-1, 1, 1, -1, -1, 1};
    for (int i = 0; i < kPlaneCount; ++i) {
        float plane[4];
        for (int c = 0; c < 4; ++c)
            plane[c] = clip[4 * c + 3] + kSign[i] * clip[4 * c + kRow[i]];
        if (!normalizePlane(plane))
            continue; // a degenerate matrix: the previous plane stays
        for (int c = 0; c < 4; ++c)
            planes[i][c] = plane[c];
    }
}

bool normalizePlane(float plane[4])
{
    const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
    if (!(length > 0) || !std::isfinite(length))
        return false;
    float normalised[4];
    for (int c = 0; c < 4; ++c) {
        normalised[c] = plane[c] / length;
        if (!std::isfinite(normalised[c]))
            return false;
    }
    for (int c = 0; c < 4; ++c)
        plane[c] = normalised[c];
    return true;
}

bool FrustumPlanes::containsSphere(float x, float y, float z, float radius) const
{
    for (const float* plane : planes) {
        const float distance = x * plane[0] + y * plane[1] + z * plane[2] + plane[3];
        if (distance <= -radius)
            return false;
    }
    return true;
}

bool FrustumPlanes::containsBox(float x0, float y0, float z0, float x1, float y1, float z1) const
{
    for (const float* plane : planes) {
        // The corner farthest inside this plane: if even it is not inside, no corner is.
        const float x = plane[0] > 0 ? x1 : x0;
        const float y = plane[1] > 0 ? y1 : y0;
        const float z = plane[2] > 0 ? z1 : z0;
        if (x * plane[0] + y * plane[1] + z * plane[2] + plane[3] <= 0)
            return false;
    }
    return true;
}
