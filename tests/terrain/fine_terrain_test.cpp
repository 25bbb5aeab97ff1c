// The fine ground opened from a file, stood on and drawn: a 1025 ground (the
// terrain tests' own, with its ridge one sample wide) written into a folder
// of its own, opened there and drawn through a perspective view, the pictures
// and depths read back.

#include "terrain/fine_terrain.h"

#include "support/gl_test_context.h"
#include "support/gl_view.h"
#include "support/read_back.h"
#include "terrain/ground_file.h"
#include "terrain/ground_fixture.h"
#include "terrain/picture_file.h"
#include "terrain/test_ground.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr double kFieldOfViewDegrees = 60;
constexpr double kNear = 1;
constexpr double kFar = 2000;

// The full-detail triangle's height at (x, z), one unit between samples, by
// barycentric weights of its three corners on the source grid.
float fullDetailHeight(const std::vector<float>& heights, float x, float z)
{
    const int i = std::min(static_cast<int>(x), kTestGroundSide - 2);
    const int j = std::min(static_cast<int>(z), kTestGroundSide - 2);
    auto at = [&](int a, int b) { return heights[static_cast<size_t>(b) * kTestGroundSide + a]; };
    const float u = x - float(i), v = z - float(j);
    // The quad is cut from (i, j) to (i + 1, j + 1).
    if (u >= v)
        return at(i, j) * (1 - u) + at(i + 1, j) * (u - v) + at(i + 1, j + 1) * v;
    return at(i, j) * (1 - v) + at(i, j + 1) * (v - u) + at(i + 1, j + 1) * u;
}

// Works in a folder of its own holding the ground, so that open() finds it.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

struct Grounds {
    const std::vector<float>& heights = testGround();
    fs::path whole = fs::path(LUMORA_BINARY_DIR) / "fine_terrain_test" / "whole";
    fs::path broken = fs::path(LUMORA_BINARY_DIR) / "fine_terrain_test" / "broken";
};

const Grounds& grounds()
{
    static const Grounds made = [] {
        Grounds g;
        fs::create_directories(g.whole);
        fs::create_directories(g.broken);
        GroundFixture fixture;
        fixture.side = kTestGroundSide;
        fixture.heights = g.heights.data();
        writeGroundFile(g.whole / kFineGroundFileName, fixture);
        // One tile of the full detail that will not decode, away from where the
        // ground opens: column 3, row 2 of level 0's five by five.
        writeGroundFile(g.broken / kFineGroundFileName, fixture);
        spoilTile(g.broken / kFineGroundFileName, 0, 2 * 5 + 3);
        return g;
    }();
    return made;
}

std::unique_ptr<FineTerrain> openIn(const fs::path& folder, float x, float z)
{
    InFolder in(folder);
    Report report;
    std::unique_ptr<FineTerrain> terrain = FineTerrain::open(x, z, report);
    EXPECT_TRUE(terrain) << reportLine(report);
    return terrain;
}

// --- Standing on it -------------------------------------------------------------

TEST(FineTerrainSurface, IsTheFullDetailTriangleAtRandomPointsAndNeverAboveTheHighest)
{
    std::unique_ptr<FineTerrain> terrain = openIn(grounds().whole, 500, 500);
    ASSERT_TRUE(terrain);
    std::mt19937 random(360);
    std::uniform_real_distribution<float> across(0, kGroundWorldSize);
    for (int n = 0; n < 1000; ++n) {
        const float x = n % 50 == 0 ? 1024 : across(random);
        const float z = n % 40 == 0 ? 0 : across(random);
        const float height = terrain->surfaceHeight(x, z);
        ASSERT_NEAR(height, fullDetailHeight(grounds().heights, x, z), 0.001f) << x << ", " << z;
        ASSERT_LE(height, terrain->highestAt(x, z)) << x << ", " << z;
    }
    // Off the ground: its edge.
    EXPECT_NEAR(terrain->surfaceHeight(-50, 2000), fullDetailHeight(grounds().heights, 0, 1024), 0.001f);
}

// --- Drawing it -----------------------------------------------------------------

struct Textures {
    TerrainMesh mesh;
    ExtensionEntryPoints entryPoints;
};

// A smooth picture over the ground and a plain white detail, so that pixels
// differ where the surface does, not where a texel edge moves.
Textures makeTextures()
{
    Textures t;
    loadExtensionEntryPoints(t.entryPoints, lookUpAdvertisedEntryPoint);
    std::vector<uint8_t> rgb(256 * 256 * 3);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            uint8_t* p = &rgb[(size_t(y) * 256 + x) * 3];
            p[0] = uint8_t(128 + 100 * std::sin(x * 0.6));
            p[1] = uint8_t(128 + 100 * std::cos(y * 0.5));
            p[2] = uint8_t(x);
        }
    const uint8_t white[3 * 4] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    GLuint names[2];
    glGenTextures(2, names);
    t.mesh.terrainTexture = names[0];
    t.mesh.detailTexture = names[1];
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, names[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, i == 0 ? 256 : 2, i == 0 ? 256 : 2, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     i == 0 ? rgb.data() : white);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return t;
}

void deleteTextures(Textures& t)
{
    const GLuint names[2] = {t.mesh.terrainTexture, t.mesh.detailTexture};
    glDeleteTextures(2, names);
    deleteTerrainList(t.mesh);
}

struct Eye {
    Vector3 at, target, up{0, 1, 0};
    int width = kWidth, height = kHeight; // of the viewport
};

// The view through the eye, with the depth test and face culling on as the frame has them.
FrustumPlanes lookFrom(const Eye& eye)
{
    usePerspectiveView(kFieldOfViewDegrees, kNear, kFar, eye.width, eye.height);
    gluLookAt(eye.at.x, eye.at.y, eye.at.z, eye.target.x, eye.target.y, eye.target.z, eye.up.x, eye.up.y, eye.up.z);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    FrustumPlanes frustum;
    frustum.extract();
    return frustum;
}

float pixelsPerUnitAtOne(const Eye& eye)
{
    return float(eye.height / (2 * std::tan(kFieldOfViewDegrees * M_PI / 360)));
}

// Draws until the loader has brought everything the view asks for: no node
// drawn spans more than the allowed error (a parent drawn for children not
// yet read spans more), or `settled` says so.
template <typename Settled>
void drawSettled(FineTerrain& terrain, const Textures& t, const Eye& eye, float allowedError, Settled settled)
{
    for (int frame = 0; frame < 2000; ++frame) {
        const FrustumPlanes frustum = lookFrom(eye);
        terrain.draw(t.mesh, t.entryPoints, eye.at, frustum, pixelsPerUnitAtOne(eye), allowedError);
        if (settled(terrain.figures()))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ADD_FAILURE() << "the loader never brought what the view needs";
}

void drawSettled(FineTerrain& terrain, const Textures& t, const Eye& eye, float allowedError)
{
    drawSettled(terrain, t, eye, allowedError,
                [&](const FineTerrainFigures& f) { return f.largestScreenError <= allowedError; });
}

std::vector<float> readDepths(int width = kWidth, int height = kHeight)
{
    std::vector<float> depths(size_t(width) * height);
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    return depths;
}

// Distance along the view direction of a depth-buffer value.
float eyeDistance(float depth)
{
    const double ndc = 2.0 * depth - 1.0;
    return float(2 * kNear * kFar / ((kFar + kNear) - ndc * (kFar - kNear)));
}

Eye eyeStandingAt(FineTerrain& terrain, float x, float z, Vector3 towards)
{
    const float y = terrain.surfaceHeight(x, z) + 5.5f;
    return {{x, y, z}, {x + towards.x, y + towards.y, z + towards.z}};
}

TEST(FineTerrainDrawing, AtTheDefaultErrorDiffersFromTheFullDetailInUnderOnePercentOfPixels)
{
    REQUIRE_GL_CONTEXT();
    Textures t = makeTextures();
    std::unique_ptr<FineTerrain> terrain = openIn(grounds().whole, 500, 500);
    ASSERT_TRUE(terrain);
    ASSERT_FALSE(terrain->createGLObjects(t.entryPoints).failed());
    const Eye eye = eyeStandingAt(*terrain, 500, 500, {-0.8f, -0.15f, -0.6f});

    drawSettled(*terrain, t, eye, 0);
    const Picture full = readPicture(kWidth, kHeight);
    const FineTerrainFigures fullFigures = terrain->figures();
    drawSettled(*terrain, t, eye, kDefaultTerrainError);
    const Picture coarse = readPicture(kWidth, kHeight);
    const FineTerrainFigures coarseFigures = terrain->figures();

    // The two are different meshes, the coarse one much the lighter.
    EXPECT_LT(coarseFigures.trianglesDrawn * 2, fullFigures.trianglesDrawn);
    EXPECT_GT(coarseFigures.largestScreenError, 0);
    int ground = 0, differing = 0;
    for (size_t i = 0; i < full.rgb.size(); i += 3) {
        ground += full.rgb[i] | full.rgb[i + 1] | full.rgb[i + 2] ? 1 : 0;
        bool differs = false;
        for (size_t c = 0; c < 3; ++c)
            differs = differs || std::abs(int(full.rgb[i + c]) - int(coarse.rgb[i + c])) > 2;
        differing += differs ? 1 : 0;
    }
    EXPECT_GT(ground, kWidth * kHeight / 4);
    EXPECT_LT(differing, kWidth * kHeight / 100) << differing;

    terrain->deleteGLObjects();
    deleteTextures(t);
}

// Seen from above the swell, where nodes of three or four levels meet, the
// lower rows are all ground: the skirts hung against the neighbours drawn
// leave no crack for the cleared black to show through.
TEST(FineTerrainDrawing, NeighboursOfOtherLevelsLeaveNoCrackOnScreen)
{
    REQUIRE_GL_CONTEXT();
    Textures t = makeTextures();
    std::unique_ptr<FineTerrain> terrain = openIn(grounds().whole, 300, 300);
    ASSERT_TRUE(terrain);
    ASSERT_FALSE(terrain->createGLObjects(t.entryPoints).failed());
    Eye eye = eyeStandingAt(*terrain, 300, 300, {1, -0.6f, 1});
    eye.at.y += 60, eye.target.y += 60;
    drawSettled(*terrain, t, eye, kDefaultTerrainError);
    const Picture seen = readPicture(kWidth, kHeight);
    int cracks = 0;
    for (size_t i = 0; i < size_t(kWidth) * kHeight / 2; ++i) // rows from the bottom
        cracks += seen.rgb[3 * i] | seen.rgb[3 * i + 1] | seen.rgb[3 * i + 2] ? 0 : 1;
    EXPECT_EQ(cracks, 0);
    terrain->deleteGLObjects();
    deleteTextures(t);
}

TEST(FineTerrainDrawing, LeavesTheStateAsTheTerrainListLeavesIt)
{
    REQUIRE_GL_CONTEXT();
    Textures t = makeTextures();
    std::unique_ptr<FineTerrain> terrain = openIn(grounds().whole, 500, 500);
    ASSERT_TRUE(terrain);
    ASSERT_FALSE(terrain->createGLObjects(t.entryPoints).failed());
    HeightMap map;
    buildTerrainList(t.mesh, map, t.entryPoints);

    struct State {
        GLint activeUnit, matrixMode, envMode[2], rgbScale, bound[2], arrays;
        GLboolean texturing[2], generating[2][2];
        GLfloat textureMatrix[16];
    };
    auto readState = [&] {
        State s{};
        glGetIntegerv(GL_ACTIVE_TEXTURE, &s.activeUnit);
        glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
        s.arrays = glIsEnabled(GL_VERTEX_ARRAY);
        for (int unit = 1; unit >= 0; --unit) {
            t.entryPoints.glActiveTextureARB(GLenum(GL_TEXTURE0 + unit));
            s.texturing[unit] = glIsEnabled(GL_TEXTURE_2D);
            s.generating[unit][0] = glIsEnabled(GL_TEXTURE_GEN_S);
            s.generating[unit][1] = glIsEnabled(GL_TEXTURE_GEN_T);
            glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &s.envMode[unit]);
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.bound[unit]);
            if (unit == 1) {
                glGetTexEnviv(GL_TEXTURE_ENV, GL_RGB_SCALE, &s.rgbScale);
                glGetFloatv(GL_TEXTURE_MATRIX, s.textureMatrix);
            }
        }
        t.entryPoints.glActiveTextureARB(GLenum(s.activeUnit));
        return s;
    };
    const Eye eye = eyeStandingAt(*terrain, 500, 500, {0, -0.2f, -1});
    lookFrom(eye);
    glCallList(t.mesh.terrainList);
    const State afterList = readState();
    const FrustumPlanes frustum = lookFrom(eye);
    terrain->draw(t.mesh, t.entryPoints, eye.at, frustum, pixelsPerUnitAtOne(eye), kDefaultTerrainError);
    const State afterFine = readState();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    EXPECT_EQ(afterFine.activeUnit, afterList.activeUnit);
    EXPECT_EQ(afterFine.matrixMode, afterList.matrixMode);
    EXPECT_EQ(afterFine.arrays, afterList.arrays);
    EXPECT_EQ(afterFine.rgbScale, afterList.rgbScale);
    for (int unit = 0; unit < 2; ++unit) {
        EXPECT_EQ(afterFine.texturing[unit], afterList.texturing[unit]) << unit;
        EXPECT_EQ(afterFine.generating[unit][0], afterList.generating[unit][0]) << unit;
        EXPECT_EQ(afterFine.generating[unit][1], afterList.generating[unit][1]) << unit;
        EXPECT_EQ(afterFine.envMode[unit], afterList.envMode[unit]) << unit;
        EXPECT_EQ(afterFine.bound[unit], afterList.bound[unit]) << unit;
    }
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(afterFine.textureMatrix[i], afterList.textureMatrix[i]) << i;

    terrain->deleteGLObjects();
    deleteTextures(t);
}

TEST(FineTerrainDrawing, ARidgeOneSampleWideShowsFromNearWhereTheListDropsIt)
{
    REQUIRE_GL_CONTEXT();
    Textures t = makeTextures();
    std::unique_ptr<FineTerrain> terrain = openIn(grounds().whole, 280, 500);
    ASSERT_TRUE(terrain);
    ASSERT_FALSE(terrain->createGLObjects(t.entryPoints).failed());
    // The list of the same ground, its heights as bytes.
    HeightMap map;
    for (int z = 0; z < kHeightMapSide; ++z)
        for (int x = 0; x < kHeightMapSide; ++x)
            map.heights[size_t(z) * kHeightMapSide + x] = uint8_t(
                std::lround(std::clamp(grounds().heights[size_t(z) * kTestGroundSide + x], 0.0f, 255.0f)));
    buildTerrainList(t.mesh, map, t.entryPoints);

    // Level with the eye, 20 units short of the ridge along x = 300, facing it.
    const Eye eye = eyeStandingAt(*terrain, 280, 500, {1, 0, 0});
    auto nearAndAboveTheEye = [&] {
        const std::vector<float> depths = readDepths();
        int n = 0;
        for (int y = kHeight / 2 + 10; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                n += eyeDistance(depths[size_t(y) * kWidth + x]) < 25 ? 1 : 0;
        return n;
    };
    drawSettled(*terrain, t, eye, kDefaultTerrainError);
    const int fine = nearAndAboveTheEye();
    lookFrom(eye);
    glCallList(t.mesh.terrainList);
    const int list = nearAndAboveTheEye();

    EXPECT_GT(fine, kWidth * (kHeight / 2 - 10) / 2);
    EXPECT_EQ(list, 0);

    terrain->deleteGLObjects();
    deleteTextures(t);
}

TEST(FineTerrainDrawing, AFinePictureLiesUprightInSquaresOfBoundedMemory)
{
    REQUIRE_GL_CONTEXT();
    // Its top left quarter red, the rest blue: the top row lies along z = 0,
    // the left column along x = 0.
    const fs::path folder = fs::path(LUMORA_BINARY_DIR) / "fine_terrain_test" / "pictured";
    fs::create_directories(folder);
    fs::copy_file(grounds().whole / kFineGroundFileName, folder / kFineGroundFileName,
                  fs::copy_options::overwrite_existing);
    PictureFixture picture;
    std::vector<uint8_t> rgb(size_t(picture.side) * picture.side * 3);
    for (int y = 0; y < picture.side; ++y)
        for (int x = 0; x < picture.side; ++x) {
            const bool red = x < picture.side / 2 && y < picture.side / 2;
            uint8_t* p = &rgb[(size_t(y) * picture.side + x) * 3];
            p[0] = red ? 255 : 0;
            p[2] = red ? 0 : 255;
        }
    picture.rgb = rgb.data();
    ASSERT_TRUE(writePictureFile(folder / kFinePictureFileName, picture));

    Textures t = makeTextures();
    std::unique_ptr<FineTerrain> terrain = openIn(folder, 500, 500);
    ASSERT_TRUE(terrain);
    EXPECT_TRUE(terrain->takeReports().empty());
    ASSERT_FALSE(terrain->createGLObjects(t.entryPoints).failed());
    // From above, screen right along +x and screen up along -z.
    const Eye eye{{512, 1400, 512}, {512, 0, 512}, {0, 0, -1}, 200, 150};
    size_t rootOnly = 0;
    drawSettled(*terrain, t, eye, kDefaultTerrainError, [&](const FineTerrainFigures& f) {
        rootOnly = rootOnly == 0 ? f.textureBytes : rootOnly;
        return f.textureBytes > 4 * rootOnly;
    });
    const size_t bytes = terrain->figures().textureBytes;
    EXPECT_LE(bytes, size_t(256) << 20);
    const Picture seen = readPicture(eye.width, eye.height);
    auto reddish = [](const uint8_t* p) { return p[0] > 200 && p[2] < 60; };
    auto bluish = [](const uint8_t* p) { return p[2] > 200 && p[0] < 60; };
    const int cx = eye.width / 2, cy = eye.height / 2;
    EXPECT_TRUE(reddish(seen.at(cx - 20, cy + 20))) << "top left";
    EXPECT_TRUE(bluish(seen.at(cx + 20, cy + 20))) << "top right";
    EXPECT_TRUE(bluish(seen.at(cx - 20, cy - 20))) << "bottom left";

    terrain->deleteGLObjects();
    deleteTextures(t);
}

TEST(FineTerrainDrawing, ATileThatFailsToReadKeepsItsParentAndTheRestDraws)
{
    REQUIRE_GL_CONTEXT();
    Textures t = makeTextures();
    std::unique_ptr<FineTerrain> terrain = openIn(grounds().broken, 500, 500);
    ASSERT_TRUE(terrain);
    ASSERT_FALSE(terrain->createGLObjects(t.entryPoints).failed());
    // The leaves whose 33 x 33 samples reach into the spoilt tile's 256 x 256.
    int spoiltLeaves = 0;
    for (int z = 0; z < 32; ++z)
        for (int x = 0; x < 32; ++x)
            spoiltLeaves += 32 * x + 32 >= 768 && 32 * x <= 1023 && 32 * z + 32 >= 512 && 32 * z <= 767 ? 1 : 0;

    // From above the spoilt tile, all of it in view, at full detail; a small
    // picture, since every node is drawn at its finest.
    const Eye eye{{896, 420, 640}, {896, 0, 640}, {0, 0, -1}, 200, 150};
    int failures = 0;
    auto countFailures = [&] {
        for (const Report& report : terrain->takeReports()) {
            EXPECT_TRUE(report.failed());
            EXPECT_FALSE(reportLine(report).empty());
            ++failures;
        }
    };
    drawSettled(*terrain, t, eye, 0, [&](const FineTerrainFigures&) {
        countFailures();
        return failures >= spoiltLeaves;
    });
    int framesAfter = 0; // in which nothing may fail again
    drawSettled(*terrain, t, eye, 0, [&](const FineTerrainFigures&) { return ++framesAfter == 3; });
    countFailures();
    EXPECT_EQ(failures, spoiltLeaves); // each said once, never read again
    EXPECT_GT(terrain->figures().largestScreenError, 0); // their parents drawn in their place

    // No hole: every pixel inside the ground's square is drawn.
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    double x0, y0, x1, y1, depth;
    // The corners at height 0 lie inside the ground's outline, which is higher.
    gluProject(0, 0, 0, model, projection, viewport, &x0, &y0, &depth);
    gluProject(1024, 0, 1024, model, projection, viewport, &x1, &y1, &depth);
    const PixelBox inside{std::max(int(std::min(x0, x1)) + 1, 0), std::max(int(std::min(y0, y1)) + 1, 0),
                          std::min(int(std::max(x0, x1)) - 1, eye.width),
                          std::min(int(std::max(y0, y1)) - 1, eye.height)};
    ASSERT_FALSE(inside.empty());
    const std::vector<float> depths = readDepths(eye.width, eye.height);
    int holes = 0;
    for (int y = inside.bottom; y < inside.top; ++y)
        for (int x = inside.left; x < inside.right; ++x)
            holes += depths[size_t(y) * eye.width + x] >= 1.0f ? 1 : 0;
    EXPECT_EQ(holes, 0);

    terrain->deleteGLObjects();
    deleteTextures(t);
}

} // namespace
