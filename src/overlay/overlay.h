#pragma once
// The overlay drawn over the finished scene each frame: compass, view-direction
// point, clock, counter and the opening captions, in bitmap glyphs.

#include "view/camera.h"

#include <GL/gl.h>

struct Overlay {
    GLuint fontListBase = 0; // first of 96 lists, character codes 32..127
    int overlayCounter = 0;
    float clockSeconds = 0;
    float clockMinutes = 0;
};

void createOverlayFont(Overlay& overlay);
void drawOverlay(Overlay& overlay, const Camera& camera);
