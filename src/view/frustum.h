#pragma once
// The six planes of the view volume in world coordinates, taken once per frame
// from the projection and model-view matrices, and the sphere test that the
// frame uses to mark objects visible.

struct FrustumPlanes {
    static constexpr int kPlaneCount = 6; // right, left, bottom, top, far, near
    float planes[kPlaneCount][4] = {};    // nx, ny, nz, d; positive inside

    void extract();
    bool containsSphere(float x, float y, float z, float radius) const;
};
