#include "overlay/overlay.h"

#include "overlay/font.h"
#include "overlay/overlay_clock.h"
#include "overlay/overlay_layout.h"
#include "overlay/text.h"
#include "platform/glyphs.h"

#include <memory>

namespace {

void printLabel(GLuint fontListBase, const OverlayLabel& label)
{
    glRasterPos2f(label.at.x, label.at.y);
    printText(fontListBase, "%s", label.text);
}

// A square point, like the view-direction point.
void drawRedPoint(OverlayPosition at, float sizePixels)
{
    glPointSize(sizePixels);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 0, 0);
    glBegin(GL_POINTS);
    glVertex3f(at.x, at.y, 0);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

GLuint makeFontLists(int fontPixels)
{
    // Under a megabyte of bitmaps, needed only until the lists hold them.
    const auto glyphs = std::make_unique<platform::GlyphSet>();
    // Without any face the glyphs come back empty: the lists exist and draw nothing.
    platform::loadGlyphs(kOverlayFaceName, fontPixels, kOverlayFontWeight, *glyphs);
    return buildFontLists(*glyphs);
}

} // namespace

void createOverlayFont(Overlay& overlay) { overlay.fontListBase = makeFontLists(kOverlayFontPixels); }

void scaleOverlay(Overlay& overlay, int pictureHeight)
{
    const float scale = overlayPixelScale(pictureHeight);
    const int fontPixels = overlayFontPixels(scale);
    const bool newFont = fontPixels != overlayFontPixels(overlay.pixelScale);
    overlay.pixelScale = scale;
    if (!newFont)
        return;
    if (overlay.fontListBase != 0)
        glDeleteLists(overlay.fontListBase, kGlyphCodeCount);
    overlay.fontListBase = makeFontLists(fontPixels);
}

void beginOverlay()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void endOverlay()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void drawOverlay(const Overlay& overlay, const Camera& camera, float frameDelta, const GeoReference* reference,
                 RecordingMark mark)
{
    char clockText[kTextBufferBytes];
    formatClock(overlay, clockText);
    const GLuint font = overlay.fontListBase;
    beginOverlay();

    glRasterPos2f(kCounterPosition.x, kCounterPosition.y);
    printText(font, "%d", overlay.overlayCounter);
    for (const OverlayLabel& letter : kCompassLabels)
        printLabel(font, letter);

    // A square point: smoothing stays off. It lies at depth 0 like the
    // glyphs, so where a letter's pixels are already drawn it does not show.
    drawRedPoint(viewDirectionPoint(camera, reference), kViewPointSizePixels * overlay.pixelScale);
    glColor3f(1, 1, 1);

    glRasterPos2f(kClockPosition.x, kClockPosition.y);
    printText(font, "%s", clockText);

    // The captions go by the clock after this frame; the clock itself
    // advances once the picture is shown.
    Overlay advanced = overlay;
    advanceClock(advanced, frameDelta);
    if (captionsShown(advanced))
        for (const OverlayLabel& caption : kCaptions)
            printLabel(font, caption);
    if (mark == RecordingMark::Shown)
        drawRedPoint(kRecordingMarkPosition, kRecordingMarkSizePixels * overlay.pixelScale);

    glColor3f(1, 1, 1);
    endOverlay();
}
