// Pictures of the generated landscape, drawn the way the frame draws the
// ground and the sky (followGround, the view, the terrain list, the sky box
// around the eye), or by the frame itself, and read back from the frame buffer.

#include "app/frame.h"
#include "app/main_loop.h"
#include "app/projection.h"
#include "app/startup.h"
#include "app/surface_choice.h"
#include "support/generated_set.h"
#include "support/gl_test_context.h"
#include "support/read_back.h"
#include "support/recorded_boxes.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Rgb {
    int r, g, b;
};

// Colour of window pixel (x, y), y = 0 at the bottom.
Rgb colourAt(const Picture& picture, int x, int y)
{
    const uint8_t* p = picture.at(x, y);
    return {p[0], p[1], p[2]};
}

// Mean colour of the rows y0 <= y < y1.
Rgb meanOfRows(const Picture& picture, int y0, int y1)
{
    long long sum[3] = {};
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb c = colourAt(picture, x, y);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
        }
    }
    const long long n = static_cast<long long>(y1 - y0) * kWidth;
    return {static_cast<int>(sum[0] / n), static_cast<int>(sum[1] / n), static_cast<int>(sum[2] / n)};
}

double fractionBlack(const Picture& picture)
{
    const int black = countPixels(picture, {0, 0, kWidth, kHeight}, isBlack);
    return static_cast<double>(black) / (kWidth * kHeight);
}

Picture readPicture() { return ::readPicture(kWidth, kHeight); }

// The matrices and viewport in force, as gluProject and gluUnProject take them.
struct Transform {
    GLdouble model[16];
    GLdouble projection[16];
    GLint viewport[4];
};

Transform currentTransform()
{
    Transform transform;
    glGetDoublev(GL_MODELVIEW_MATRIX, transform.model);
    glGetDoublev(GL_PROJECTION_MATRIX, transform.projection);
    glGetIntegerv(GL_VIEWPORT, transform.viewport);
    return transform;
}

int largestDifference(Rgb a, Rgb b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

class LandscapeView : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_GL_CONTEXT();
        recordMessageBoxes();
        shell.fullScreen = false;
        shell.queue.pumpsPlatform = false;
    }
    void TearDown() override
    {
        stopRecordingMessageBoxes();
        if (!scratch.empty())
            fs::remove_all(scratch);
    }

    // Runs the start-up sequence in the folder, as the viewer does in its
    // working directory.
    void startUpIn(const fs::path& folder)
    {
        const fs::path previous = fs::current_path();
        fs::current_path(folder);
        platform::deleteRenderingContext(); // start-up makes its own
        startUp(shell, drawing, *world);
        fs::current_path(previous);
        ASSERT_TRUE(platform::hasRenderingContext());
        ASSERT_NE(world->terrain.terrainList, 0u);
    }

    // A copy of the generated set without one file.
    fs::path generatedSetWithout(const char* name)
    {
        scratch = fs::temp_directory_path() / ("lumora-view-" + std::to_string(::getpid()));
        fs::remove_all(scratch);
        fs::copy(landscape_test::defaultSetFolder(), scratch);
        fs::remove(scratch / name);
        return scratch;
    }

    // Where the frame puts the eye at the start: on the ground below the
    // start position.
    Vector3 startEye()
    {
        world->camera.place(kStartPosition, kStartViewPoint, kUpVector);
        followGround(world->camera, world->heightMap, world->ground);
        return world->camera.position;
    }

    // The frame's terrain and sky passes, looking from the eye along `direction`.
    void drawLooking(Vector3 eye, Vector3 direction, Vector3 up = {0, 1, 0}, bool withTerrain = true)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        world->camera.place({eye.x, eye.y, eye.z}, {eye.x + direction.x, eye.y + direction.y, eye.z + direction.z},
                            {up.x, up.y, up.z});
        world->camera.applyView();
        if (withTerrain)
            glCallList(world->terrain.terrainList);
        drawSkyBox(world->skyBox, eye.x + kSkyBoxOffset, eye.y, eye.z + kSkyBoxOffset, kSkyBoxSize, kSkyBoxSize,
                   kSkyBoxSize);
    }

    Shell shell;
    Drawing drawing;
    std::unique_ptr<World> world = std::make_unique<World>();
    fs::path scratch;
};

TEST_F(LandscapeView, StartViewShowsTexturedGroundBelowTheSkyAbove)
{
    startUpIn(landscape_test::defaultSetFolder());
    EXPECT_TRUE(recordedBoxes.empty()) << recordedBoxes.front().text;
    drawLooking(startEye(), {1, 0, 0});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Picture picture = readPicture();

    // The ground is the base picture times the detail, not one colour.
    std::set<int> groundColours;
    for (int y = 0; y < 150; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb c = colourAt(picture, x, y);
            groundColours.insert(c.r << 16 | c.g << 8 | c.b);
        }
    }
    EXPECT_GT(groundColours.size(), 200u) << "the ground looks untextured";

    const Rgb sky = meanOfRows(picture, kHeight - 100, kHeight);
    const Rgb ground = meanOfRows(picture, 0, 150);
    EXPECT_GT(sky.b, sky.r + 30) << "the top of the view is not sky: " << sky.r << " " << sky.g << " " << sky.b;
    EXPECT_GT(ground.g, ground.b) << "the bottom of the view is not ground: " << ground.r << " " << ground.g << " "
                                  << ground.b;
    EXPECT_LT(fractionBlack(picture), 0.001) << "something is left undrawn";
}

TEST_F(LandscapeView, TheBasePictureLiesUprightWithItsSnowOnTheHighGround)
{
    startUpIn(landscape_test::defaultSetFolder());
    const std::vector<uint8_t>& heights = landscape_test::defaultFile("Tertest.raw");
    ASSERT_EQ(heights.size(), 1024u * 1024u);

    // Straight down on the whole map: x across the window, z = 0 at the top.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-512, 512, -512, 512, 1, 2000);
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(512, 1000, 512, 512, 0, 512, 0, 0, -1);
    glCallList(world->terrain.terrainList);
    const Picture picture = readPicture();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    // Mean map height under the snow, as the picture lies and as it would lie
    // flipped in z or mirrored in x.
    int snow = 0;
    double underSnow = 0;
    double flipped = 0;
    double mirrored = 0;
    for (int py = 0; py < kHeight; py += 2) {
        for (int px = 0; px < kWidth; px += 2) {
            const Rgb c = colourAt(picture, px, py);
            const int lowest = std::min({c.r, c.g, c.b});
            const int highest = std::max({c.r, c.g, c.b});
            if (lowest < 150 || highest - lowest > 30)
                continue;
            const int x = px * 1024 / kWidth;
            const int z = (kHeight - 1 - py) * 1024 / kHeight;
            ++snow;
            underSnow += heights[static_cast<size_t>(z) * 1024 + x];
            flipped += heights[static_cast<size_t>(1023 - z) * 1024 + x];
            mirrored += heights[static_cast<size_t>(z) * 1024 + (1023 - x)];
        }
    }
    ASSERT_GT(snow, 100) << "no snow in the picture";
    double all = 0;
    for (uint8_t h : heights)
        all += h;
    const double mapMean = all / static_cast<double>(heights.size());
    EXPECT_GT(underSnow / snow, mapMean + 100);
    EXPECT_GT(underSnow / snow, flipped / snow + 40) << "the picture lies flipped in z";
    EXPECT_GT(underSnow / snow, mirrored / snow + 40) << "the picture lies mirrored in x";
}

TEST_F(LandscapeView, LookingStraightUpShowsTheTopPicture)
{
    startUpIn(landscape_test::defaultSetFolder());
    const Vector3 eye = startEye();
    drawLooking(eye, {0, 1, 0}, {1, 0, 0});
    const Picture picture = readPicture();
    const landscape_test::Decoded top = landscape_test::decodeDefault("hillTop.bmp");
    ASSERT_EQ(top.width, 512);
    ASSERT_EQ(top.height, 512);

    // The top face carries its picture with (0, 0) at its high-x, high-z corner
    // and (1, 1) at its low-x, low-z corner; the file's rows run top down.
    const double x1 = eye.x + kSkyBoxOffset + kSkyBoxSize / 2;
    const double y1 = eye.y + kSkyBoxSize / 2;
    const double z1 = eye.z + kSkyBoxOffset + kSkyBoxSize / 2;
    auto texelMean = [&](double s, double t) {
        const int column = std::clamp(static_cast<int>(s * top.width), 1, top.width - 2);
        const int row = std::clamp(top.height - 1 - static_cast<int>(t * top.height), 1, top.height - 2);
        int sum[3] = {};
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                for (int c = 0; c < 3; ++c)
                    sum[c] += top.at(column + dx, row + dy)[c];
            }
        }
        return Rgb{sum[0] / 9, sum[1] / 9, sum[2] / 9};
    };

    const Transform view = currentTransform();
    double difference = 0;
    double mirroredDifference = 0;
    int samples = 0;
    for (int py = 60; py < kHeight - 60; py += 40) {
        for (int px = 60; px < kWidth - 60; px += 40) {
            // Where the pixel's ray meets the plane of the top face.
            GLdouble nx, ny, nz, fx, fy, fz;
            gluUnProject(px + 0.5, py + 0.5, 0, view.model, view.projection, view.viewport, &nx, &ny, &nz);
            gluUnProject(px + 0.5, py + 0.5, 1, view.model, view.projection, view.viewport, &fx, &fy, &fz);
            const double along = (y1 - ny) / (fy - ny);
            const double s = (x1 - (nx + along * (fx - nx))) / kSkyBoxSize;
            const double t = (z1 - (nz + along * (fz - nz))) / kSkyBoxSize;
            const Rgb seen = colourAt(picture, px, py);
            difference += largestDifference(seen, texelMean(s, t));
            mirroredDifference += largestDifference(seen, texelMean(1 - s, t));
            ++samples;
        }
    }
    EXPECT_LT(difference / samples, 8) << "the view up does not show the top picture as it lies";
    EXPECT_GT(mirroredDifference / samples, difference / samples + 10);
}

TEST_F(LandscapeView, AMissingTopPictureLeavesOnlyTheTopPlainWhite)
{
    startUpIn(generatedSetWithout("hillTop.bmp"));
    EXPECT_FALSE(recordedBoxes.empty()) << "the missing picture is reported at start-up";
    EXPECT_EQ(world->skyBox.skyTextures[kSkyTop], 0u);
    const Vector3 eye = startEye();

    drawLooking(eye, {0, 1, 0}, {1, 0, 0});
    Picture picture = readPicture();
    for (int y = kHeight / 2 - 100; y < kHeight / 2 + 100; y += 10) {
        for (int x = kWidth / 2 - 100; x < kWidth / 2 + 100; x += 10) {
            const Rgb c = colourAt(picture, x, y);
            ASSERT_EQ(c.r + c.g + c.b, 3 * 255) << "at " << x << ", " << y;
        }
    }

    drawLooking(eye, {1, 0, 0});
    picture = readPicture();
    const Rgb sky = meanOfRows(picture, kHeight - 100, kHeight);
    EXPECT_GT(sky.b, sky.r + 30) << "the walls keep their pictures";
}

TEST_F(LandscapeView, SpaceDrawsTheLandscapeAsLinesAndEnterFillsItAgain)
{
    startUpIn(landscape_test::defaultSetFolder());
    const Vector3 eye = startEye();
    auto press = [this](int key) {
        Message message{};
        message.kind = MessageKind::KeyDown;
        message.key = key;
        windowProcedure(shell, drawing, message);
        applyDisplayRequests(drawing, shell.clientRect);
    };

    drawLooking(eye, {1, 0, 0});
    const Picture filled = readPicture();
    press(platform::kKeySpace);
    drawLooking(eye, {1, 0, 0});
    const Picture lines = readPicture();
    press(platform::kKeyReturn);
    drawLooking(eye, {1, 0, 0});
    const Picture refilled = readPicture();

    EXPECT_LT(fractionBlack(filled), 0.001);
    EXPECT_GT(fractionBlack(lines), 0.3) << "wireframe leaves the black clear colour between the lines";
    EXPECT_LT(fractionBlack(lines), 0.99) << "wireframe still draws the lines";
    EXPECT_TRUE(refilled.rgb == filled.rgb) << "Enter brings back the same filled picture";
}

// Projects a world point to window pixels with the current matrices; false
// when it lies outside the depth range.
bool project(const double point[3], double window[2])
{
    const Transform view = currentTransform();
    GLdouble depth = 0;
    return gluProject(point[0], point[1], point[2], view.model, view.projection, view.viewport, &window[0],
                      &window[1], &depth) == GL_TRUE &&
           depth > 0 && depth < 1;
}

TEST_F(LandscapeView, NoFaceEdgeShowsASeam)
{
    startUpIn(landscape_test::defaultSetFolder());
    const Vector3 eye = startEye();
    const double half = kSkyBoxSize / 2;
    const double low[3] = {eye.x + kSkyBoxOffset - half, eye.y - half, eye.z + kSkyBoxOffset - half};
    // The twelve edges of the box: from a corner along one axis to the high side.
    struct Edge {
        double from[3];
        int axis;
    };
    Edge edges[12];
    int edgeCount = 0;
    for (int axis = 0; axis < 3; ++axis) {
        for (int corner = 0; corner < 4; ++corner) {
            Edge& edge = edges[edgeCount++];
            edge.axis = axis;
            for (int i = 0, bit = 0; i < 3; ++i)
                edge.from[i] = low[i] + (i == axis ? 0.0 : ((corner >> bit++) & 1) * double{kSkyBoxSize});
        }
    }

    bool edgeSeen[12] = {};
    int worstSeam = 0;
    const float elevations[] = {0.7f, -0.7f};
    const float headings[][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
    for (float elevation : elevations) {
        for (const auto& heading : headings) {
            drawLooking(eye, {heading[0], elevation, heading[1]}, {0, 1, 0}, false);
            const Picture picture = readPicture();
            for (int e = 0; e < 12; ++e) {
                for (int step = 1; step < 20; ++step) {
                    double point[3] = {edges[e].from[0], edges[e].from[1], edges[e].from[2]};
                    point[edges[e].axis] += step * double{kSkyBoxSize} / 20;
                    double further[3] = {point[0], point[1], point[2]};
                    further[edges[e].axis] += kSkyBoxSize / 100;
                    double at[2];
                    double ahead[2];
                    if (!project(point, at) || !project(further, ahead))
                        continue;
                    const int margin = 8;
                    const double length = std::hypot(ahead[0] - at[0], ahead[1] - at[1]);
                    if (at[0] < margin || at[0] >= kWidth - margin || at[1] < margin || at[1] >= kHeight - margin ||
                        length < 1e-6)
                        continue;
                    edgeSeen[e] = true;
                    // Across the edge on screen.
                    const double nx = -(ahead[1] - at[1]) / length;
                    const double ny = (ahead[0] - at[0]) / length;
                    auto sample = [&](double d) {
                        return colourAt(picture, static_cast<int>(std::lround(at[0] + nx * d)),
                                        static_cast<int>(std::lround(at[1] + ny * d)));
                    };
                    // A seam is a line along the edge that differs from both
                    // sides more than the sides differ from each other.
                    const Rgb before = sample(-4);
                    const Rgb after = sample(4);
                    const Rgb between{(before.r + after.r) / 2, (before.g + after.g) / 2, (before.b + after.b) / 2};
                    for (int d = -1; d <= 1; ++d)
                        worstSeam = std::max(worstSeam, largestDifference(sample(d), between) -
                                                            largestDifference(before, after) / 2);
                }
            }
        }
    }
    for (int e = 0; e < 12; ++e)
        EXPECT_TRUE(edgeSeen[e]) << "edge " << e << " was never in view";
    EXPECT_LE(worstSeam, 30);
}

// The whole frame at the start placement, its clock and flyers standing
// still, read back before it is presented.
Picture drawStartFrame(Shell& shell, Drawing& drawing, World& world, OverlayShown overlay = OverlayShown::Drawn)
{
    const FrameInput keepCamera = {.camera = CameraControl::Moved, .overlay = overlay};
    world.camera.place(kStartPosition, kStartViewPoint, kUpVector);
    updateBeforeDrawing(shell, drawing, world, keepCamera);
    drawFrame(drawing, shell.clientRect, world, keepCamera);
    Picture picture{kWidth, kHeight, std::vector<uint8_t>(kWidth * kHeight * 3)};
    readBackFrame(drawing.surface, kWidth, kHeight, picture.rgb.data());
    return picture;
}

bool isOverlayColour(const uint8_t* p) { return isWhite(p) || isRed(p); }

// Mean of one channel over a block of 8 x 8 pixels.
double blockMean(const Picture& picture, int bx, int by, int channel)
{
    int sum = 0;
    for (int y = by * 8; y < by * 8 + 8; ++y)
        for (int x = bx * 8; x < bx * 8 + 8; ++x)
            sum += picture.at(x, y)[channel];
    return sum / 64.0;
}

TEST_F(LandscapeView, AtHalfTheRenderScaleOnlyTheSceneIsResampledAndAToolMayLeaveTheOverlayOut)
{
    startUpIn(landscape_test::defaultSetFolder());
    const Picture full = drawStartFrame(shell, drawing, *world);
    const Picture bare = drawStartFrame(shell, drawing, *world, OverlayShown::LeftOut);
    ASSERT_FALSE(setRenderScale(drawing.surface, shell.clientRect, 0.5f).failed());
    EXPECT_EQ(drawing.surface.target.width, kWidth / 2);
    EXPECT_EQ(drawing.surface.target.height, kHeight / 2);
    const Picture half = drawStartFrame(shell, drawing, *world);
    setRenderScale(drawing.surface, shell.clientRect, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // The overlay (the captions, clock, counter and compass below the
    // horizon) is drawn at the window's resolution either way: the same
    // white and red pixels.
    constexpr int kBelowHorizon = 340;
    int overlayPixels = 0;
    int overlayMismatches = 0;
    int leftOutShown = 0;
    for (int y = 0; y < kBelowHorizon; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool inFull = isOverlayColour(full.at(x, y));
            overlayPixels += inFull;
            leftOutShown += isOverlayColour(bare.at(x, y));
            overlayMismatches += inFull != isOverlayColour(half.at(x, y)) ||
                                 (inFull && std::memcmp(full.at(x, y), half.at(x, y), 3) != 0);
        }
    }
    EXPECT_GT(overlayPixels, 1000) << "no overlay in the picture";
    EXPECT_EQ(overlayMismatches, 0);
    EXPECT_EQ(leftOutShown, 0) << "a frame without its overlay shows some";

    // The scene: in 8 x 8 blocks without overlay, the stretched half-size
    // picture holds the full one's colours, but not its pixels.
    double difference = 0;
    int blocks = 0;
    for (int by = 0; by < kHeight / 8; ++by) {
        for (int bx = 0; bx < kWidth / 8; ++bx) {
            bool overlay = false;
            for (int y = by * 8; y < by * 8 + 8 && !overlay; ++y)
                for (int x = bx * 8; x < bx * 8 + 8 && !overlay; ++x)
                    overlay = isOverlayColour(full.at(x, y)) || isOverlayColour(half.at(x, y));
            if (overlay)
                continue;
            for (int c = 0; c < 3; ++c)
                difference += std::abs(blockMean(full, bx, by, c) - blockMean(half, bx, by, c));
            ++blocks;
        }
    }
    EXPECT_LT(difference / (blocks * 3), 4) << "the scene is not the full-size one, resampled";
    EXPECT_FALSE(full.rgb == half.rgb) << "the scale changed nothing";
}

} // namespace
