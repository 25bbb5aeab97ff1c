#pragma once
// The sky box: six pictures on a large box drawn around the viewer every frame.
// The frame centres it on the eye, so walking never brings its walls nearer.
// The box has no state but its six texture names; the corners come from the
// centre and the extents (world units) of each call.
//
// Every face is wound counter-clockwise seen from inside, so with back-face
// culling the box is seen from inside only. On the walls t grows upward and s
// to the right seen from inside, so bottom-row-first pictures stand upright.

#include <GL/gl.h>

constexpr int kSkyFaceCount = 6;
constexpr int kSkyFaceCorners = 4;

// Entries of skyTextures, in the order start-up loads them.
enum SkyTextureEntry : int {
    kSkyBack = 0,   // "hillBack.bmp", the low-z wall
    kSkyFront = 1,  // "hillFront.bmp", the high-z wall
    kSkyBottom = 2, // "hillBottom.bmp"
    kSkyTop = 3,    // "hillTop.bmp"
    kSkyLeft = 4,   // "hillLeft.bmp", the high-x wall
    kSkyRight = 5,  // "hillRight.bmp", the low-x wall
};

struct SkyBox {
    // back, front, bottom, top, left, right; 0 where the picture failed to load
    GLuint skyTextures[kSkyFaceCount] = {};
};

// A corner as low (0) or high (1) on each axis of the box, with its texture
// coordinate: the layout that the viewer draws and the landscape generator
// paints its sky faces for.
struct SkyCornerPattern {
    unsigned char x, y, z;
    float s, t;
};

struct SkyFacePattern {
    SkyTextureEntry texture;
    SkyCornerPattern corners[kSkyFaceCorners]; // in drawing order
};

// The six faces in drawing order: back, front, bottom, top, then the right
// picture on the low-x wall and the left picture on the high-x wall.
constexpr SkyFacePattern kSkyFacePatterns[kSkyFaceCount] = {
    {kSkyBack, {{1, 0, 0, 1, 0}, {1, 1, 0, 1, 1}, {0, 1, 0, 0, 1}, {0, 0, 0, 0, 0}}},
    {kSkyFront, {{0, 0, 1, 1, 0}, {0, 1, 1, 1, 1}, {1, 1, 1, 0, 1}, {1, 0, 1, 0, 0}}},
    {kSkyBottom, {{0, 0, 0, 1, 0}, {0, 0, 1, 1, 1}, {1, 0, 1, 0, 1}, {1, 0, 0, 0, 0}}},
    {kSkyTop, {{1, 1, 0, 0, 1}, {1, 1, 1, 0, 0}, {0, 1, 1, 1, 0}, {0, 1, 0, 1, 1}}},
    {kSkyRight, {{0, 1, 0, 1, 1}, {0, 1, 1, 0, 1}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}}},
    {kSkyLeft, {{1, 0, 0, 0, 0}, {1, 0, 1, 1, 0}, {1, 1, 1, 1, 1}, {1, 1, 0, 0, 1}}},
};

struct SkyCorner {
    float x, y, z; // world units
    float s, t;    // texture coordinate, 0 or 1
};

struct SkyFace {
    SkyTextureEntry texture;
    SkyCorner corners[kSkyFaceCorners]; // in drawing order
};

// The faces of kSkyFacePatterns placed on one box.
struct SkyBoxFaces {
    SkyFace faces[kSkyFaceCount];
};

SkyBoxFaces skyBoxFaces(float cx, float cy, float cz, float width, float height, float length);

// Leaves 2-D texturing on and the last face's texture bound. Sets no colour:
// the current one (white) modulates every picture; a face whose picture is
// missing binds the default texture and shows that colour alone.
void drawSkyBox(const SkyBox& sky, float cx, float cy, float cz, float width, float height, float length);
