#pragma once
// The six planes of the view volume in world coordinates, taken once per frame
// from the projection and model-view matrices (the model-view holding only the
// camera transform then), the sphere test that the frame uses to mark objects
// visible, and the box test that culls the ground's nodes. Each plane is
// normalised, so nx*x + ny*y + nz*z + d is the signed distance in world units,
// positive inside. A plane whose normal comes out zero or not finite keeps the
// plane it had before.

struct FrustumPlanes {
    static constexpr int kPlaneCount = 6; // right, left, bottom, top, far, near
    float planes[kPlaneCount][4] = {};    // nx, ny, nz, d; positive inside

    // Reads the current projection and model-view matrices and rewrites the planes.
    void extract();
    // The same from two column-major matrices (element [4 * column + row]).
    void setFromMatrices(const float projection[16], const float modelView[16]);
    // True unless the sphere lies wholly outside one of the planes; a sphere
    // whose centre is exactly its radius outside counts as outside.
    bool containsSphere(float x, float y, float z, float radius) const;
    // True unless the box [x0, x1] x [y0, y1] x [z0, z1] lies wholly outside
    // one of the planes; a box that only touches a plane from outside counts
    // as outside, like the sphere.
    bool containsBox(float x0, float y0, float z0, float x1, float y1, float z1) const;
};

// Divides the plane's four numbers by the length of its normal. Returns false,
// leaving the plane as it was, when that cannot give finite numbers.
bool normalizePlane(float plane[4]);
