#include "terrain/terrain_mesh.h"

#include "support/gl_test_context.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace {

// --- The strip, without a context ---------------------------------------------

TEST(TerrainStrip, BeginsWithTheFirstBandClimbingFromZZero)
{
    const TerrainVertex expected[4] = {{8, 0}, {0, 0}, {8, 8}, {0, 8}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(terrainStripVertex(i).x, expected[i].x) << i;
        EXPECT_EQ(terrainStripVertex(i).z, expected[i].z) << i;
    }
}

TEST(TerrainStrip, SecondBandStartsAtTheFarEdgeAndEndsAtZZero)
{
    // 258 vertices make one band: 129 rows of two.
    EXPECT_EQ(terrainStripVertex(258).x, 8);
    EXPECT_EQ(terrainStripVertex(258).z, 1024);
    EXPECT_EQ(terrainStripVertex(259).x, 16);
    EXPECT_EQ(terrainStripVertex(259).z, 1024);
    EXPECT_EQ(terrainStripVertex(515).x, 16);
    EXPECT_EQ(terrainStripVertex(515).z, 0);
}

TEST(TerrainStrip, HasOneVertexPerRowAndEdgeAndEndsOnTheWrappedBand)
{
    EXPECT_EQ(kTerrainVertexCount, 33282);
    EXPECT_EQ(terrainStripVertex(33280).x, 1032);
    EXPECT_EQ(terrainStripVertex(33280).z, 1024);
    EXPECT_EQ(terrainStripVertex(33281).x, 1024);
    EXPECT_EQ(terrainStripVertex(33281).z, 1024);
}

TEST(TerrainStrip, NeverJumpsMoreThanOneGridStep)
{
    // One strip without a restart: any larger jump would draw a long sliver.
    for (int i = 1; i < kTerrainVertexCount; ++i) {
        const TerrainVertex a = terrainStripVertex(i - 1);
        const TerrainVertex b = terrainStripVertex(i);
        ASSERT_LE(std::abs(a.x - b.x), 8) << i;
        ASSERT_LE(std::abs(a.z - b.z), 8) << i;
        ASSERT_TRUE(b.x >= 0 && b.x <= 1032 && b.z >= 0 && b.z <= 1024) << i;
    }
}

// The y of the face normal of strip triangle i, wound as the library winds a
// strip (every odd triangle's first two vertices swapped), on flat ground.
long long upwardNormal(int i)
{
    TerrainVertex a = terrainStripVertex(i);
    TerrainVertex b = terrainStripVertex(i + 1);
    const TerrainVertex c = terrainStripVertex(i + 2);
    if (i % 2 == 1)
        std::swap(a, b);
    // (b - a) x (c - a), y component, with the points in the y = 0 plane.
    return static_cast<long long>(b.z - a.z) * (c.x - a.x) - static_cast<long long>(b.x - a.x) * (c.z - a.z);
}

TEST(TerrainStrip, EveryTriangleInsideABandFacesUpAndTheTurnsAreEdgeOn)
{
    int facingUp = 0;
    int edgeOn = 0;
    std::set<std::pair<int, int>> cellsCovered;
    std::set<std::pair<int, int>> cellsTwice;
    for (int i = 0; i + 2 < kTerrainVertexCount; ++i) {
        const long long ny = upwardNormal(i);
        ASSERT_GE(ny, 0) << "triangle " << i << " faces down and would be culled from above";
        const bool insideBand = i / kTerrainVerticesPerColumn == (i + 2) / kTerrainVerticesPerColumn;
        EXPECT_EQ(ny > 0, insideBand) << "triangle " << i;
        if (ny > 0) {
            ++facingUp;
            const TerrainVertex a = terrainStripVertex(i);
            const TerrainVertex b = terrainStripVertex(i + 1);
            const TerrainVertex c = terrainStripVertex(i + 2);
            const std::pair<int, int> cell{std::min({a.x, b.x, c.x}), std::min({a.z, b.z, c.z})};
            if (!cellsCovered.insert(cell).second)
                cellsTwice.insert(cell);
        } else {
            ++edgeOn;
        }
    }
    EXPECT_EQ(facingUp, 129 * 256);
    EXPECT_EQ(edgeOn, 2 * 128) << "two triangles at each of the 128 turns";
    // Every 8 x 8 cell from x = 0 to 1032 and z = 0 to 1024 is covered by
    // exactly its two triangles.
    EXPECT_EQ(cellsCovered.size(), 129u * 128u);
    EXPECT_EQ(cellsTwice.size(), 129u * 128u);
}

TEST(TerrainTexCoord, StretchesTheBaseOnceOverTheMapAndFlipsZ)
{
    const struct {
        float x, z, s, t;
    } cases[] = {
        {512, 256, 0.5f, -0.25f},
        {0, 0, 0.0f, 0.0f},
        {1024, 1024, 1.0f, -1.0f},
        {1032, 8, 1.0078125f, -0.0078125f},
    };
    for (const auto& c : cases) {
        const TerrainTexCoord coord = terrainTexCoord(c.x, c.z);
        EXPECT_FLOAT_EQ(coord.s, c.s) << c.x << ", " << c.z;
        EXPECT_FLOAT_EQ(coord.t, c.t) << c.x << ", " << c.z;
    }
}

// --- The list in a real context -----------------------------------------------

class TerrainList : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_GL_CONTEXT();
        const ExtensionSupport support = loadExtensionEntryPoints(entryPoints, lookUpAdvertisedEntryPoint);
        ASSERT_TRUE(support.multitexture && support.fogCoordinate)
            << "the test context lacks an extension the terrain needs";
        glViewport(0, 0, 800, 600);
        glDisable(GL_FOG);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColor3f(1, 1, 1);
        // The detail unit as a new context has it, whatever the test before left.
        activeUnit(GL_TEXTURE1_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glDisable(GL_TEXTURE_2D);
        activeUnit(GL_TEXTURE0_ARB);
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override
    {
        deleteTerrainList(terrain);
        if (texturesMade > 0)
            glDeleteTextures(texturesMade, textures);
    }

    void activeUnit(GLenum unit) { entryPoints.glActiveTextureARB(unit); }

    // A nearest-filtered RGB texture from rows given first row first.
    GLuint makeTexture(int width, int height, const unsigned char* rgb)
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        textures[texturesMade++] = name;
        glBindTexture(GL_TEXTURE_2D, name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        return name;
    }

    // Looks straight down on the whole map: x runs to the right across the
    // viewport, z = 0 at the top edge and z = 1024 at the bottom.
    static void lookDownOnTheMap()
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-512, 512, -512, 512, 1, 2000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(512, 1000, 512, 512, 0, 512, 0, 0, -1);
    }

    static void pixelAtMapPoint(float x, float z, unsigned char rgb[3])
    {
        const int px = static_cast<int>(x / 1024 * 800);
        const int py = static_cast<int>((1024 - z) / 1024 * 600);
        glReadPixels(px, py, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    }

    ExtensionEntryPoints entryPoints;
    TerrainMesh terrain;
    std::unique_ptr<HeightMap> map = std::make_unique<HeightMap>();
    GLuint textures[4] = {};
    int texturesMade = 0;
};

TEST_F(TerrainList, LeavesTexturingOffOnBothUnitsWithUnitZeroActive)
{
    buildTerrainList(terrain, *map, entryPoints);
    ASSERT_NE(terrain.terrainList, 0u);

    // Whatever the unit 1 matrix held before, every run leaves it at 60.
    activeUnit(GL_TEXTURE1_ARB);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(7, 7, 7);
    glMatrixMode(GL_MODELVIEW);
    activeUnit(GL_TEXTURE0_ARB);
    for (int run = 0; run < 2; ++run)
        glCallList(terrain.terrainList);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    GLint value = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &value);
    EXPECT_EQ(value, GL_TEXTURE0_ARB);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "unit 0";

    activeUnit(GL_TEXTURE1_ARB);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "unit 1";
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_COMBINE_ARB);
    GLfloat scale = 0;
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, &scale);
    EXPECT_FLOAT_EQ(scale, 1);

    // The detail unit samples (512, 256) at (30, -15).
    GLfloat m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    const TerrainTexCoord coord = terrainTexCoord(512, 256);
    EXPECT_FLOAT_EQ(m[0] * coord.s + m[4] * coord.t + m[12], 30);
    EXPECT_FLOAT_EQ(m[1] * coord.s + m[5] * coord.t + m[13], -15);
    EXPECT_FLOAT_EQ(m[10], 1);
    EXPECT_FLOAT_EQ(m[15], 1);
    activeUnit(GL_TEXTURE0_ARB);
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 1) << "unit 0's texture matrix is left alone";
}

TEST_F(TerrainList, DrawsNothingWhileItIsBuilt)
{
    lookDownOnTheMap();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    buildTerrainList(terrain, *map, entryPoints);
    unsigned char rgb[3] = {1, 1, 1};
    pixelAtMapPoint(512, 512, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0);

    glCallList(terrain.terrainList);
    pixelAtMapPoint(512, 512, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 3 * 255) << "untextured ground in the current colour";
}

TEST_F(TerrainList, LaysTheBasePictureOnceWithItsFirstRowAtTheFarEdge)
{
    // First row red, green; second row blue, white. Sent first row first, so
    // the second row plays a bottom-up picture's top row.
    const unsigned char base[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const unsigned char white[] = {255, 255, 255};
    terrain.terrainTexture = makeTexture(2, 2, base);
    terrain.detailTexture = makeTexture(1, 1, white);
    buildTerrainList(terrain, *map, entryPoints);
    lookDownOnTheMap();
    glClear(GL_COLOR_BUFFER_BIT);
    glCallList(terrain.terrainList);

    const struct {
        float x, z;
        unsigned char rgb[3];
    } cases[] = {
        {100, 100, {0, 0, 255}},     // low x, low z: second row, first column
        {900, 100, {255, 255, 255}}, // high x, low z
        {100, 900, {255, 0, 0}},     // low x, high z: first row
        {900, 900, {0, 255, 0}},
    };
    for (const auto& c : cases) {
        unsigned char rgb[3];
        pixelAtMapPoint(c.x, c.z, rgb);
        EXPECT_EQ(rgb[0], c.rgb[0]) << c.x << ", " << c.z;
        EXPECT_EQ(rgb[1], c.rgb[1]) << c.x << ", " << c.z;
        EXPECT_EQ(rgb[2], c.rgb[2]) << c.x << ", " << c.z;
    }
}

TEST_F(TerrainList, MultipliesInTheDetailSixtyTimesAcrossTheMap)
{
    const unsigned char white[] = {255, 255, 255};
    // Half black, half white: one dark run per repeat.
    const unsigned char stripes[] = {0, 0, 0, 255, 255, 255};
    terrain.terrainTexture = makeTexture(1, 1, white);
    terrain.detailTexture = makeTexture(2, 1, stripes);
    buildTerrainList(terrain, *map, entryPoints);
    lookDownOnTheMap();
    glClear(GL_COLOR_BUFFER_BIT);
    glCallList(terrain.terrainList);

    // Along a screen row from x = 0 to x = 1024 (the 800 px of the viewport).
    unsigned char row[800 * 3];
    glReadPixels(0, 300, 800, 1, GL_RGB, GL_UNSIGNED_BYTE, row);
    int darkRuns = 0;
    for (int px = 0; px < 800; ++px) {
        const bool dark = row[px * 3] < 128;
        const bool darkBefore = px > 0 && row[(px - 1) * 3] < 128;
        if (dark && !darkBefore)
            ++darkRuns;
        EXPECT_TRUE(row[px * 3] == 0 || row[px * 3] == 255)
            << "pixel " << px << ": " << int{row[px * 3]} << " is not the detail texel times white";
    }
    EXPECT_NEAR(darkRuns, 60, 1);
}

TEST_F(TerrainList, ModulatesTheBaseByTheDetailWithoutBrightening)
{
    const unsigned char base[] = {200, 100, 40};
    const unsigned char grey[] = {128, 128, 128};
    terrain.terrainTexture = makeTexture(1, 1, base);
    terrain.detailTexture = makeTexture(1, 1, grey);
    buildTerrainList(terrain, *map, entryPoints);
    lookDownOnTheMap();
    glClear(GL_COLOR_BUFFER_BIT);
    glCallList(terrain.terrainList);
    unsigned char rgb[3];
    pixelAtMapPoint(512, 512, rgb);
    EXPECT_NEAR(rgb[0], 100, 2);
    EXPECT_NEAR(rgb[1], 50, 2);
    EXPECT_NEAR(rgb[2], 20, 2);
}

TEST_F(TerrainList, WithoutMultitextureShowsTheBaseAloneAndCallsNoMissingFunction)
{
    const unsigned char base[] = {200, 100, 40};
    terrain.terrainTexture = makeTexture(1, 1, base);
    const ExtensionEntryPoints missing; // a call through any of these would crash
    buildTerrainList(terrain, *map, missing);
    ASSERT_NE(terrain.terrainList, 0u);
    lookDownOnTheMap();
    glClear(GL_COLOR_BUFFER_BIT);
    glCallList(terrain.terrainList);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    unsigned char rgb[3];
    pixelAtMapPoint(512, 512, rgb);
    EXPECT_EQ(rgb[0], 200);
    EXPECT_EQ(rgb[1], 100);
    EXPECT_EQ(rgb[2], 40);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    activeUnit(GL_TEXTURE1_ARB);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_NE(mode, GL_COMBINE_ARB) << "the detail unit is never touched";
    activeUnit(GL_TEXTURE0_ARB);
}

TEST_F(TerrainList, DeletingForgetsTheName)
{
    buildTerrainList(terrain, *map, entryPoints);
    const GLuint name = terrain.terrainList;
    ASSERT_TRUE(glIsList(name));
    deleteTerrainList(terrain);
    EXPECT_FALSE(glIsList(name));
    EXPECT_EQ(terrain.terrainList, 0u);
    deleteTerrainList(terrain); // a second delete touches nothing
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The framebuffer group is found whole, under the names asked for, or not at
// all: a renderer missing one entry point gets no offscreen targets.
TEST(FramebufferEntryPoints, TheGroupIsFoundWholeOrNotAtAll)
{
    static std::string missing;
    static std::string suffixOffered;
    // Answers every name with the suffix offered, except the one missing.
    const ProcAddressLookup lookup = [](const char* name) -> void* {
        static int anything;
        const std::string text = name;
        const bool ext = text.size() > 3 && text.compare(text.size() - 3, 3, "EXT") == 0;
        if (text == missing || ext != (suffixOffered == "EXT"))
            return nullptr;
        return &anything;
    };
    const struct {
        const char* suffix;
        FramebufferNames names;
        const char* missing;
        bool whole;
    } cases[] = {
        {"", FramebufferNames::Core, "", true},
        {"EXT", FramebufferNames::Ext, "", true},
        {"EXT", FramebufferNames::Core, "", false}, // only the EXT names offered
        {"", FramebufferNames::Core, "glBlitFramebuffer", false},
        {"EXT", FramebufferNames::Ext, "glRenderbufferStorageEXT", false},
    };
    for (const auto& c : cases) {
        suffixOffered = c.suffix;
        missing = c.missing;
        FramebufferEntryPoints gl;
        EXPECT_EQ(loadFramebufferEntryPoints(gl, lookup, c.names), c.whole) << c.suffix << " " << c.missing;
        EXPECT_EQ(gl.genFramebuffers != nullptr, c.whole) << "a part of the group was kept";
        EXPECT_EQ(gl.blitFramebuffer != nullptr, c.whole);
    }
}

} // namespace
