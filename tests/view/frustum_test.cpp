#include "view/frustum.h"

#include "support/gl_test_context.h"
#include "view/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>

namespace {

enum Plane { Right, Left, Bottom, Top, Far, Near };

// The planes of the start-up view (eye (500, 35, 500) along +x, y up) under the
// normal projection (80 degrees, near 0.1, far 10000) at 800 x 600.
const float kStartUpPlanes[6][4] = {
    {0.7456f, 0, -0.6664f, -39.5848f},  // right
    {0.7456f, 0, 0.6664f, -705.9979f},  // left
    {0.6428f, 0.7660f, 0, -348.2054f},  // bottom
    {0.6428f, -0.7660f, 0, -294.5822f}, // top
    {-1, 0, 0, 10500},                  // far
    {1, 0, 0, -500.1f},                 // near
};

// Column-major matrices as the graphics library builds them, so the plane
// arithmetic can be checked without a context.
struct Matrix {
    float m[16] = {};
};

Matrix perspective(double fieldOfViewDegrees, double aspect, double zNear, double zFar)
{
    const double f = 1 / std::tan(fieldOfViewDegrees * M_PI / 360);
    Matrix p;
    p.m[0] = static_cast<float>(f / aspect);
    p.m[5] = static_cast<float>(f);
    p.m[10] = static_cast<float>((zFar + zNear) / (zNear - zFar));
    p.m[11] = -1;
    p.m[14] = static_cast<float>(2 * zFar * zNear / (zNear - zFar));
    return p;
}

// The start-up camera's look-at: right is +z, up is +y, forward is +x.
Matrix startUpView()
{
    Matrix v;
    v.m[8] = 1;  // view x = world z
    v.m[5] = 1;  // view y = world y
    v.m[2] = -1; // view -z = world x
    v.m[12] = -500;
    v.m[13] = -35;
    v.m[14] = 500;
    v.m[15] = 1;
    return v;
}

FrustumPlanes startUpFrustum(double fieldOfViewDegrees = 80)
{
    FrustumPlanes frustum;
    const Matrix p = perspective(fieldOfViewDegrees, 800.0 / 600.0, 0.1, 10000);
    const Matrix v = startUpView();
    frustum.setFromMatrices(p.m, v.m);
    return frustum;
}

// The far plane is the difference of two matrix entries that agree to within
// 2e-5 (1 and 1.00002 for a far-to-near ratio of 10^5); stored as floats, their
// difference is off by about 0.13 %, and so is the far plane's offset: it lies
// near 10487 instead of 10500. Everything else holds to four decimals.
constexpr float kFarOffsetTolerance = 10500 * 2e-3f;

void expectStartUpPlanes(const FrustumPlanes& frustum)
{
    for (int i = 0; i < FrustumPlanes::kPlaneCount; ++i) {
        for (int c = 0; c < 4; ++c) {
            const double tolerance = i == Far && c == 3 ? kFarOffsetTolerance : 1e-4;
            EXPECT_NEAR(frustum.planes[i][c], kStartUpPlanes[i][c], tolerance) << "plane " << i << " component " << c;
        }
    }
}

// Planes bounding the box 0..10 on every axis.
FrustumPlanes unitBox()
{
    const float planes[6][4] = {
        {-1, 0, 0, 10}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, -1, 0, 10}, {0, 0, -1, 10}, {0, 0, 1, 0},
    };
    FrustumPlanes box;
    std::memcpy(box.planes, planes, sizeof planes);
    return box;
}

TEST(FrustumPlanes, TheStartUpViewGivesTheKnownPlanesInTheirOrder) { expectStartUpPlanes(startUpFrustum()); }

TEST(FrustumPlanes, TheStartUpViewUnderARealContextGivesTheSamePlanes)
{
    REQUIRE_GL_CONTEXT();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(80, 800.0 / 600.0, 0.1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Camera camera;
    camera.place(kStartPosition, kStartViewPoint, kUpVector);
    camera.applyView();

    FrustumPlanes frustum;
    frustum.extract();
    expectStartUpPlanes(frustum);
    glLoadIdentity();
}

TEST(FrustumPlanes, SpheresAroundTheStartUpView)
{
    const FrustumPlanes frustum = startUpFrustum();
    const float farX = frustum.planes[Far][3]; // the far plane is x = its offset
    struct Case {
        float x, y, z, radius;
        bool inside;
        const char* what;
    };
    const Case cases[] = {
        {520, 35, 500, 5, true, "ahead of the eye"},
        {480, 35, 500, 5, false, "behind the eye"},
        {farX + 3, 35, 500, 5, true, "beyond the far plane by less than the radius"},
        {farX + 5, 35, 500, 5, false, "beyond the far plane by exactly the radius"},
        {farX - 3, 35, 500, 0, true, "a point just before the far plane"},
        {500.2f, 35, 500, 0, true, "a point just beyond the near plane"},
        {500.0f, 35, 500, 0, false, "the eye itself, before the near plane"},
        {600, 35, 625, 1, false, "51 degrees to the right, past the 48-degree half-width"},
        {600, 35, 375, 1, false, "51 degrees to the left"},
        {600, 35, 600, 1, true, "45 degrees to the right"},
        {600, 35, 400, 1, true, "45 degrees to the left"},
        {600, 135, 500, 1, false, "45 degrees up, above the 40-degree half-height"},
        {600, -40, 500, 1, true, "37 degrees down"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frustum.containsSphere(c.x, c.y, c.z, c.radius), c.inside) << c.what;
}

TEST(FrustumPlanes, ZoomingNarrowsTheSidesAndKeepsNearAndFar)
{
    const FrustumPlanes normal = startUpFrustum(80);
    const FrustumPlanes zoomed = startUpFrustum(10);
    // The side planes turn towards the view direction's sides: their normals
    // lose most of their share along the view.
    for (Plane side : {Right, Left, Bottom, Top})
        EXPECT_LT(zoomed.planes[side][0], normal.planes[side][0] - 0.5f) << "side " << side;
    for (Plane end : {Far, Near})
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(zoomed.planes[end][c], normal.planes[end][c], 1e-4);

    // 14 degrees up, and 11 degrees to the right: in the normal view, outside the zoomed one.
    EXPECT_TRUE(normal.containsSphere(600, 60, 500, 1));
    EXPECT_FALSE(zoomed.containsSphere(600, 60, 500, 1));
    EXPECT_TRUE(normal.containsSphere(600, 35, 520, 1));
    EXPECT_FALSE(zoomed.containsSphere(600, 35, 520, 1));
    EXPECT_TRUE(zoomed.containsSphere(600, 35, 500, 1));
}

TEST(FrustumPlanes, TheSphereTestIsStrictAtEveryFace)
{
    const FrustumPlanes box = unitBox();
    struct Case {
        float x, y, z, radius;
        bool inside;
    };
    const float e = 1e-3f;
    const Case cases[] = {
        {5, 5, 5, 0, true},
        // a point exactly on a face is outside, just inside it is in
        {0, 5, 5, 0, false},
        {e, 5, 5, 0, true},
        {10, 5, 5, 0, false},
        {10 - e, 5, 5, 0, true},
        {5, 0, 5, 0, false},
        {5, e, 5, 0, true},
        {5, 10, 5, 0, false},
        {5, 10 - e, 5, 0, true},
        {5, 5, 0, 0, false},
        {5, 5, e, 0, true},
        {5, 5, 10, 0, false},
        {5, 5, 10 - e, 0, true},
        // a sphere whose centre is its radius outside is out; a little less and it reaches in
        {-2, 5, 5, 2, false},
        {-2 + e, 5, 5, 2, true},
        {5, 12, 5, 2, false},
        {5, 12 - e, 5, 2, true},
        {5, 5, -3, 2, false},
        // the test is per plane: a sphere off a corner on both axes passes
        {-1.5f, -1.5f, 5, 2, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(box.containsSphere(c.x, c.y, c.z, c.radius), c.inside)
            << "(" << c.x << ", " << c.y << ", " << c.z << ") r " << c.radius;
}

TEST(FrustumPlanes, NormalizePlaneScalesByTheNormalLengthOrRefuses)
{
    float plane[4] = {0, 3, 4, 10};
    ASSERT_TRUE(normalizePlane(plane));
    EXPECT_FLOAT_EQ(plane[0], 0);
    EXPECT_FLOAT_EQ(plane[1], 0.6f);
    EXPECT_FLOAT_EQ(plane[2], 0.8f);
    EXPECT_FLOAT_EQ(plane[3], 2);

    const float degenerate[][4] = {
        {0, 0, 0, 5}, {NAN, 1, 0, 0}, {0, 1, 0, INFINITY}, {1e-30f, 0, 0, 1}, {1e20f, 0, 0, 1},
    };
    for (const auto& d : degenerate) {
        float p[4] = {d[0], d[1], d[2], d[3]};
        EXPECT_FALSE(normalizePlane(p));
        for (int c = 0; c < 4; ++c)
            EXPECT_TRUE(std::memcmp(&p[c], &d[c], sizeof(float)) == 0) << "component " << c << " changed";
    }
}

TEST(FrustumPlanes, ADegenerateMatrixKeepsThePreviousPlanes)
{
    FrustumPlanes frustum = startUpFrustum();
    const Matrix view = startUpView();

    const Matrix zero;
    frustum.setFromMatrices(zero.m, view.m);
    expectStartUpPlanes(frustum);

    Matrix broken = perspective(80, 800.0 / 600.0, 0.1, 10000);
    broken.m[5] = NAN;
    frustum.setFromMatrices(broken.m, view.m);
    for (int i = 0; i < FrustumPlanes::kPlaneCount; ++i)
        for (int c = 0; c < 4; ++c)
            ASSERT_TRUE(std::isfinite(frustum.planes[i][c])) << "plane " << i;
    // Only the two planes built from the NaN row keep their old values.
    EXPECT_NEAR(frustum.planes[Bottom][1], 0.7660f, 1e-4);
    EXPECT_NEAR(frustum.planes[Top][1], -0.7660f, 1e-4);

    // A projection whose x row equals its w row leaves the right plane without
    // a normal; the left plane is still rewritten.
    Matrix flat;
    flat.m[8] = -1;  // row 0: (0, 0, -1, 0)
    flat.m[11] = -1; // row 3: (0, 0, -1, 0)
    frustum.setFromMatrices(flat.m, view.m);
    EXPECT_NEAR(frustum.planes[Right][0], 0.7456f, 1e-4);
    EXPECT_NEAR(frustum.planes[Left][0], 1, 1e-6);
    EXPECT_NEAR(frustum.planes[Left][2], 0, 1e-6);
}

} // namespace
