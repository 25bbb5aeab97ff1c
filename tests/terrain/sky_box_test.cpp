#include "terrain/sky_box.h"

#include "support/gl_test_context.h"
#include "support/gl_view.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

struct Vec {
    double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec at(const SkyCorner& c) { return {c.x, c.y, c.z}; }

// A box whose extents differ on every axis, so a swapped axis shows.
constexpr float kCx = 100, kCy = 20, kCz = -40, kW = 10, kH = 30, kL = 50;
constexpr float kX0 = 95, kX1 = 105, kY0 = 5, kY1 = 35, kZ0 = -65, kZ1 = -15;

// The plane each picture lies on: axis (0 x, 1 y, 2 z) and coordinate.
struct Plane {
    int axis;
    float value;
};
Plane planeOf(SkyTextureEntry entry)
{
    switch (entry) {
    case kSkyBack:
        return {2, kZ0};
    case kSkyFront:
        return {2, kZ1};
    case kSkyBottom:
        return {1, kY0};
    case kSkyTop:
        return {1, kY1};
    case kSkyRight:
        return {0, kX0};
    case kSkyLeft:
        return {0, kX1};
    }
    return {-1, 0};
}
float coordinate(const SkyCorner& c, int axis) { return axis == 0 ? c.x : axis == 1 ? c.y : c.z; }

TEST(SkyBoxFaces, DrawsTheSixPicturesInTheirOrder)
{
    const SkyBoxFaces box = skyBoxFaces(kCx, kCy, kCz, kW, kH, kL);
    const SkyTextureEntry order[kSkyFaceCount] = {kSkyBack, kSkyFront, kSkyBottom, kSkyTop, kSkyRight, kSkyLeft};
    for (int f = 0; f < kSkyFaceCount; ++f)
        EXPECT_EQ(box.faces[f].texture, order[f]) << "face " << f;
}

TEST(SkyBoxFaces, CornersLieOnTheFacePlaneAndSpanTheWholeFace)
{
    const SkyBoxFaces box = skyBoxFaces(kCx, kCy, kCz, kW, kH, kL);
    for (const SkyFace& face : box.faces) {
        const Plane plane = planeOf(face.texture);
        float lo[3] = {1e9f, 1e9f, 1e9f};
        float hi[3] = {-1e9f, -1e9f, -1e9f};
        for (const SkyCorner& c : face.corners) {
            EXPECT_EQ(coordinate(c, plane.axis), plane.value) << "picture " << face.texture;
            for (int axis = 0; axis < 3; ++axis) {
                lo[axis] = std::min(lo[axis], coordinate(c, axis));
                hi[axis] = std::max(hi[axis], coordinate(c, axis));
            }
        }
        const float boxLo[3] = {kX0, kY0, kZ0};
        const float boxHi[3] = {kX1, kY1, kZ1};
        for (int axis = 0; axis < 3; ++axis) {
            if (axis == plane.axis)
                continue;
            EXPECT_EQ(lo[axis], boxLo[axis]) << "picture " << face.texture << " axis " << axis;
            EXPECT_EQ(hi[axis], boxHi[axis]) << "picture " << face.texture << " axis " << axis;
        }
    }
}

TEST(SkyBoxFaces, EveryFaceIsConvexAndCounterClockwiseSeenFromInside)
{
    // From the centre and from where the frame puts the eye (500 short of the
    // centre in x and z on a 9000 box).
    struct View {
        SkyBoxFaces box;
        Vec eye;
    };
    const View views[] = {
        {skyBoxFaces(kCx, kCy, kCz, kW, kH, kL), {kCx, kCy, kCz}},
        {skyBoxFaces(1000, 35, 1000, 9000, 9000, 9000), {500, 35, 500}},
    };
    for (const View& view : views) {
        const SkyBoxFaces& box = view.box;
        for (const SkyFace& face : box.faces) {
            for (int c = 0; c < kSkyFaceCorners; ++c) {
                const Vec a = at(face.corners[c]);
                const Vec b = at(face.corners[(c + 1) % kSkyFaceCorners]);
                const Vec d = at(face.corners[(c + 2) % kSkyFaceCorners]);
                const Vec normal = cross(b - a, d - b);
                EXPECT_GT(dot(normal, view.eye - a), 0)
                    << "picture " << face.texture << " turns clockwise at corner " << c + 1;
            }
        }
    }
}

TEST(SkyBoxFaces, WallPicturesStandUprightAndUnmirroredSeenFromInside)
{
    const SkyBoxFaces box = skyBoxFaces(kCx, kCy, kCz, kW, kH, kL);
    const Vec centre{kCx, kCy, kCz};
    for (const SkyFace& face : box.faces) {
        const bool wall = face.texture != kSkyTop && face.texture != kSkyBottom;
        int seen[2][2] = {};
        for (const SkyCorner& c : face.corners)
            ++seen[static_cast<int>(c.s)][static_cast<int>(c.t)];
        for (int s = 0; s < 2; ++s) {
            for (int t = 0; t < 2; ++t)
                EXPECT_EQ(seen[s][t], 1) << "picture " << face.texture << " corner (" << s << ", " << t << ")";
        }
        if (!wall)
            continue;
        // Facing the wall from inside, with y up: right = view direction x up.
        const Plane plane = planeOf(face.texture);
        const double towardWall = plane.value - (plane.axis == 0 ? kCx : kCz);
        const Vec forward = plane.axis == 0 ? Vec{towardWall, 0, 0} : Vec{0, 0, towardWall};
        const Vec right = cross(forward, Vec{0, 1, 0});
        for (const SkyCorner& c : face.corners) {
            EXPECT_EQ(c.t == 1, c.y == kY1) << "picture " << face.texture;
            const bool onRightEdge = dot(at(c) - centre, right) > 0;
            EXPECT_EQ(c.s == 1, onRightEdge) << "picture " << face.texture;
        }
    }
}

TEST(SkyBoxFaces, FollowsTheCentreWithoutChangingShape)
{
    // Where the frame centres it at the start (eye 500, 35, 500).
    const SkyBoxFaces box = skyBoxFaces(1000, 35, 1000, 9000, 9000, 9000);
    const SkyCorner& first = box.faces[0].corners[0]; // back: (x1, y0, z0)
    EXPECT_FLOAT_EQ(first.x, 5500);
    EXPECT_FLOAT_EQ(first.y, -4465);
    EXPECT_FLOAT_EQ(first.z, -3500);
    const SkyCorner& topCorner = box.faces[3].corners[2]; // top: (x0, y1, z1)
    EXPECT_FLOAT_EQ(topCorner.x, -3500);
    EXPECT_FLOAT_EQ(topCorner.y, 4535);
    EXPECT_FLOAT_EQ(topCorner.z, 5500);
}

// --- Drawn in a real context ----------------------------------------------------

class SkyBoxDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_GL_CONTEXT();
        usePerspectiveView(90, 0.1, 100);
        glDisable(GL_FOG);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glColor3f(1, 1, 1);
        glClearColor(0, 0, 0, 1);
        glGenTextures(kSkyFaceCount, sky.skyTextures);
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override { glDeleteTextures(kSkyFaceCount, made); }

    // Gives each face a picture of one colour of its own.
    void fillFacesWithTheirColours()
    {
        for (int face = 0; face < kSkyFaceCount; ++face)
            upload(face, 1, kColours[face], kColours[face]);
    }
    // A two-texel-wide picture, linear filtered: left column, right column.
    void upload(int face, int width, const unsigned char* left, const unsigned char* right)
    {
        made[face] = sky.skyTextures[face];
        const unsigned char texels[6] = {left[0], left[1], left[2], right[0], right[1], right[2]};
        glBindTexture(GL_TEXTURE_2D, sky.skyTextures[face]);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }

    // Draws a 2-unit box around an eye at its centre looking along (dx, dy, dz).
    void drawLooking(double dx, double dy, double dz)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        const bool vertical = dx == 0 && dz == 0;
        gluLookAt(0, 0, 0, dx, dy, dz, 0, vertical ? 0 : 1, vertical ? -1 : 0);
        drawSkyBox(sky, 0, 0, 0, 2, 2, 2);
    }

    static void pixel(int x, int y, unsigned char rgb[3]) { glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb); }

    static constexpr unsigned char kColours[kSkyFaceCount][3] = {
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255},
    };
    SkyBox sky;
    GLuint made[kSkyFaceCount] = {};
};

TEST_F(SkyBoxDraw, EachDirectionShowsItsOwnPicture)
{
    fillFacesWithTheirColours();
    const struct {
        double dx, dy, dz;
        SkyTextureEntry entry;
    } views[] = {
        {0, 0, -1, kSkyBack}, {0, 0, 1, kSkyFront}, {0, -1, 0, kSkyBottom},
        {0, 1, 0, kSkyTop},   {1, 0, 0, kSkyLeft},  {-1, 0, 0, kSkyRight},
    };
    for (const auto& view : views) {
        drawLooking(view.dx, view.dy, view.dz);
        unsigned char rgb[3];
        pixel(400, 300, rgb);
        EXPECT_EQ(rgb[0], kColours[view.entry][0]) << "looking " << view.dx << " " << view.dy << " " << view.dz;
        EXPECT_EQ(rgb[1], kColours[view.entry][1]) << "looking " << view.dx << " " << view.dy << " " << view.dz;
        EXPECT_EQ(rgb[2], kColours[view.entry][2]) << "looking " << view.dx << " " << view.dy << " " << view.dz;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SkyBoxDraw, SeenFromOutsideShowsOnlyTheFarWallFromBehind)
{
    // Outside the front wall looking in: the front wall is culled, and the
    // back wall shows through it (its inside faces this way).
    fillFacesWithTheirColours();
    glLoadIdentity();
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    drawSkyBox(sky, 0, 0, 0, 2, 2, 2);
    unsigned char rgb[3];
    pixel(400, 300, rgb);
    EXPECT_EQ(rgb[0], kColours[kSkyBack][0]);
    EXPECT_EQ(rgb[1], kColours[kSkyBack][1]);
    EXPECT_EQ(rgb[2], kColours[kSkyBack][2]);
}

TEST_F(SkyBoxDraw, AMissingPictureLeavesOnlyItsFacePlainWhite)
{
    fillFacesWithTheirColours();
    glDeleteTextures(1, &sky.skyTextures[kSkyTop]);
    made[kSkyTop] = 0;
    sky.skyTextures[kSkyTop] = 0;

    unsigned char rgb[3];
    drawLooking(0, 1, 0);
    pixel(400, 300, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 3 * 255);
    drawLooking(0, 0, -1);
    pixel(400, 300, rgb);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1] + rgb[2], 0) << "the back wall keeps its own picture";
}

TEST_F(SkyBoxDraw, LeavesTexturingOnWithEveryPictureClampedAndTheLastOneBound)
{
    fillFacesWithTheirColours();
    glDisable(GL_TEXTURE_2D);
    drawLooking(0, 0, -1);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), sky.skyTextures[kSkyLeft]);
    for (GLuint name : sky.skyTextures) {
        glBindTexture(GL_TEXTURE_2D, name);
        GLint wrap = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
        EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
        EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
    }
}

TEST_F(SkyBoxDraw, AFaceEdgeShowsNoTraceOfThePictureOppositeEdge)
{
    // Every picture red on its left edge and blue on its right. Looking at the
    // back wall, its right edge meets the high-x wall's left edge at about
    // x = 700 px; a repeating picture would blend purple into both sides.
    const unsigned char red[3] = {255, 0, 0};
    const unsigned char blue[3] = {0, 0, 255};
    for (int face = 0; face < kSkyFaceCount; ++face)
        upload(face, 2, red, blue);
    drawLooking(0, 0, -1);
    unsigned char backWall[3];
    unsigned char sideWall[3];
    pixel(692, 300, backWall);
    pixel(708, 300, sideWall);
    EXPECT_LE(backWall[0], 4) << "back wall, just left of the edge";
    EXPECT_GE(backWall[2], 251);
    EXPECT_GE(sideWall[0], 251) << "high-x wall, just right of the edge";
    EXPECT_LE(sideWall[2], 4);
}

} // namespace
