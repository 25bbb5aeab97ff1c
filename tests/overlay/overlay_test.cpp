#include "overlay/overlay.h"

#include "overlay/overlay_clock.h"
#include "overlay/overlay_layout.h"
#include "support/read_back.h"
#include "overlay/text.h"
#include "support/gl_test_context.h"
#include "support/gl_view.h"

#include <algorithm>

namespace {

// The overlay with the real font, made once per test binary.
GLuint realFont()
{
    static Overlay font;
    if (font.fontListBase == 0)
        createOverlayFont(font);
    return font.fontListBase;
}

Overlay freshOverlay()
{
    Overlay overlay;
    overlay.fontListBase = realFont();
    return overlay;
}

Camera cameraFacing(float dx, float dz)
{
    Camera camera;
    camera.place({500, 35, 500}, {500 + dx, 35, 500 + dz}, kUpVector);
    return camera;
}

// The overlay's part of one frame: everything drawn, then the clock advanced
// by the frame delta.
void overlayPass(Overlay& overlay, const Camera& camera, float frameDelta = 0)
{
    drawOverlay(overlay, camera, frameDelta);
    advanceClock(overlay, frameDelta);
}

const Camera kStartUpView = cameraFacing(1, 0); // start-up looks along +x

// The state a frame is in when the overlay runs: the scene's projection,
// depth test and 2-D texturing on, an empty picture.
void prepareFrame(int width, int height)
{
    usePerspectiveView(80, 0.1, 10000, width, height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor3f(1, 1, 1);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR) {}
}

Picture drawOneFrame(Overlay& overlay, const Camera& camera, int width = 800, int height = 600, float frameDelta = 0)
{
    prepareFrame(width, height);
    overlayPass(overlay, camera, frameDelta);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return readPicture(800, 600);
}

// White pixels of the glyphs drawn from raster position (x, y): they stand on
// the baseline and start at the pen. The box reaches width pixels to the
// right and 30 up, and never into a neighbour's glyphs.
PixelBox glyphBoundsAt(const Picture& picture, int x, int y, int width = 40)
{
    return boundsOf(picture, {x - 3, y - 3, x + width, y + 30}, isWhite);
}

TEST(OverlayFont, GlyphsAreBitmapsAbout34PixelsHigh)
{
    REQUIRE_GL_CONTEXT();
    ASSERT_NE(realFont(), 0u);
    prepareFrame(800, 600);
    beginOverlay();
    rasterAtPixel(100, 100);
    printText(realFont(), "N");
    rasterAtPixel(400, 100);
    printText(realFont(), "(");
    endOverlay();
    const Picture picture = readPicture(800, 600);

    const PixelBox capital = boundsOf(picture, {80, 60, 160, 160}, isWhite);
    EXPECT_EQ(capital.bottom, 100) << "a capital stands on the baseline";
    EXPECT_GE(capital.height(), 22);
    EXPECT_LE(capital.height(), 28);
    // A bracket spans nearly the whole character height, ascender to descender.
    const PixelBox bracket = boundsOf(picture, {380, 60, 460, 160}, isWhite);
    EXPECT_GE(bracket.height(), 30);
    EXPECT_LE(bracket.height(), 40);
    EXPECT_LT(bracket.bottom, 100);
    // Bold: the left stem of the N is several pixels thick.
    int stem = 0;
    while (isWhite(picture.at(capital.left + stem, capital.bottom + capital.height() / 2)))
        ++stem;
    EXPECT_GE(stem, 4);
}

TEST(DrawOverlay, LettersCounterAndClockSitAtTheirPositions)
{
    REQUIRE_GL_CONTEXT();
    Overlay overlay = freshOverlay();
    const Picture picture = drawOneFrame(overlay, kStartUpView);

    struct Row {
        const char* element;
        int x, y; // raster position in pixels of the 800 x 600 viewport
        int width;
    };
    const Row rows[] = {
        {"N", 680, 120, 40}, {"S", 680, 30, 40},        {"W", 620, 75, 40},
        {"O", 740, 75, 40},  {"counter 0", 40, 30, 40}, {"clock", 40, 60, 150},
    };
    for (const Row& row : rows) {
        const PixelBox bounds = glyphBoundsAt(picture, row.x, row.y, row.width);
        ASSERT_FALSE(bounds.empty()) << row.element;
        EXPECT_GE(bounds.left, row.x - 1) << row.element;
        EXPECT_LE(bounds.left, row.x + 4) << row.element;
        EXPECT_GE(bounds.bottom, row.y - 1) << row.element;
        EXPECT_LE(bounds.bottom, row.y + 1) << row.element;
        EXPECT_GE(bounds.height(), 22) << row.element;
        EXPECT_LE(bounds.height(), 28) << row.element;
    }
    // The clock reads "-1: 0", five glyphs wide; the counter "0" is one.
    EXPECT_GT(glyphBoundsAt(picture, 40, 60, 150).width(), 70);
    EXPECT_LT(glyphBoundsAt(picture, 40, 30).width(), 25);
    const PixelBox plus = boundsOf(picture, {677, 72, 715, 105}, isWhite);
    ASSERT_FALSE(plus.empty()) << "the \"+\" of the rose";
    EXPECT_GE(plus.left, 679);
}

TEST(DrawOverlay, RedPointSitsNextToTheLetterTheViewFaces)
{
    REQUIRE_GL_CONTEXT();
    struct Row {
        const char* facing;
        Camera camera;
        PixelBox square; // the 10-pixel point around its overlay position
    };
    const Row rows[] = {
        {"+x, towards W", kStartUpView, {635, 85, 645, 95}},
        {"+z, at N", cameraFacing(0, 1), {675, 115, 685, 125}},
        {"-x, towards O", cameraFacing(-1, 0), {715, 85, 725, 95}},
    };
    for (const Row& row : rows) {
        Overlay overlay = freshOverlay();
        const Picture picture = drawOneFrame(overlay, row.camera);
        const int inside = countPixels(picture, row.square, isRed);
        // Where a letter's pixels already lie at the same depth the point does not show.
        EXPECT_GE(inside, 10) << row.facing;
        EXPECT_EQ(countPixels(picture, {0, 0, 800, 600}, isRed), inside) << row.facing << ": red elsewhere";
    }
}

TEST(DrawOverlay, WithoutAFontOnlyTheWholePointIsDrawn)
{
    REQUIRE_GL_CONTEXT();
    Overlay overlay; // fontListBase 0
    const Picture picture = drawOneFrame(overlay, kStartUpView);
    const PixelBox point = boundsOf(picture, {0, 0, 800, 600}, isRed);
    EXPECT_EQ(point.left, 635);
    EXPECT_EQ(point.bottom, 85);
    EXPECT_EQ(point.width(), 10);
    EXPECT_EQ(point.height(), 10);
    EXPECT_EQ(countPixels(picture, point, isRed), 100);
    EXPECT_EQ(countPixels(picture, {0, 0, 800, 600}, isBlack), 800 * 600 - 100);
}

TEST(DrawOverlay, TurningTheViewMovesOnlyThePoint)
{
    REQUIRE_GL_CONTEXT();
    Overlay west = freshOverlay();
    Overlay north = freshOverlay();
    const Picture a = drawOneFrame(west, kStartUpView);
    const Picture b = drawOneFrame(north, cameraFacing(0, 1));
    const PixelBox squares[] = {{635, 85, 645, 95}, {675, 115, 685, 125}};
    int differing = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            bool inPoint = false;
            for (const PixelBox& s : squares)
                inPoint = inPoint || (x >= s.left && x < s.right && y >= s.bottom && y < s.top);
            if (!inPoint && !std::equal(a.at(x, y), a.at(x, y) + 3, b.at(x, y)))
                ++differing;
        }
    EXPECT_EQ(differing, 0);
}

TEST(DrawOverlay, CaptionsShowDuringTheFirstFourSecondsOfTheClock)
{
    REQUIRE_GL_CONTEXT();
    Overlay overlay = freshOverlay();
    const Camera camera = cameraFacing(1, 0);
    const PixelBox captionLines[] = {
        {240, 295, 560, 330}, // "Lumora Demo" from (240, 300)
        {120, 265, 700, 300}, // "powered by Veldra Engine" from (120, 270)
        {40, 235, 700, 270},  // the copyright line from (40, 240)
    };
    const PixelBox captionArea{0, 225, 800, 340};
    // The clock reads 0, 1, 2, 3, 4 s before these frames and 1 .. 5 after.
    const bool expected[] = {true, true, true, false, false};
    for (int frame = 0; frame < 5; ++frame) {
        const Picture picture = drawOneFrame(overlay, camera, 800, 600, 1.0f); // one second a frame
        if (expected[frame]) {
            for (const PixelBox& line : captionLines)
                EXPECT_GT(countPixels(picture, line, isWhite), 300) << "frame " << frame + 1;
            const PixelBox l = glyphBoundsAt(picture, 240, 300, 20);
            EXPECT_GE(l.left, 240) << "\"L\" starts at its raster position";
            EXPECT_LE(l.left, 244);
            EXPECT_EQ(l.bottom, 300);
        } else {
            EXPECT_EQ(countPixels(picture, captionArea, isWhite), 0) << "frame " << frame + 1;
        }
    }
    EXPECT_EQ(overlay.clockSeconds, 5.0f);
}

TEST(DrawOverlay, WireframeLeavesTheOverlayUnchanged)
{
    REQUIRE_GL_CONTEXT();
    Overlay filled = freshOverlay();
    Overlay wire = freshOverlay();
    const Picture a = drawOneFrame(filled, kStartUpView);
    prepareFrame(800, 600);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    overlayPass(wire, kStartUpView);
    const Picture b = readPicture(800, 600);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_GT(countPixels(a, {0, 0, 800, 600}, isWhite), 2000);
    EXPECT_TRUE(a.rgb == b.rgb);
}

// A resize sets the viewport to the new client area: positions follow it,
// glyphs keep their size in pixels.
TEST(DrawOverlay, PositionsStretchWithTheViewportAndGlyphsKeepTheirSize)
{
    REQUIRE_GL_CONTEXT();
    struct Row {
        int width, height;
        int northX, northY; // where (0.7, -0.6) lands
    };
    const Row rows[] = {{800, 600, 680, 120}, {400, 600, 340, 120}, {800, 450, 680, 90}, {600, 500, 510, 100}};
    PixelBox reference{};
    for (const Row& row : rows) {
        Overlay overlay = freshOverlay();
        const Picture picture = drawOneFrame(overlay, kStartUpView, row.width, row.height);
        const PixelBox n = glyphBoundsAt(picture, row.northX, row.northY);
        ASSERT_FALSE(n.empty()) << row.width << " x " << row.height;
        if (row.width == 800 && row.height == 600) {
            reference = n;
            continue;
        }
        EXPECT_EQ(n.left - row.northX, reference.left - 680) << row.width << " x " << row.height;
        EXPECT_EQ(n.bottom - row.northY, reference.bottom - 120) << row.width << " x " << row.height;
        EXPECT_EQ(n.width(), reference.width()) << row.width << " x " << row.height;
        EXPECT_EQ(n.height(), reference.height()) << row.width << " x " << row.height;
    }
}

TEST(DrawOverlay, LeavesTheStateTheNextPassExpects)
{
    REQUIRE_GL_CONTEXT();
    Overlay overlay = freshOverlay();
    prepareFrame(800, 600);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    GLint projectionDepth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    glEnable(GL_BLEND);
    glColor3f(0, 0, 1);

    overlayPass(overlay, kStartUpView);

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, projectionDepth);
    GLfloat after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_TRUE(std::equal(projection, projection + 16, after)) << "the scene's projection is back";
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
}

} // namespace
