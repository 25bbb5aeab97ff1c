#pragma once
// The overlay's GL tests: an empty 800 x 600 viewport with identity matrices,
// raster positions in its pixels, and the drawn picture read back in pixel
// boxes of window coordinates (origin at the lower left, as glReadPixels counts).

#include "support/gl_view.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

struct PixelBox {
    int left, bottom, right, top; // right and top exclusive
    bool empty() const { return right <= left || top <= bottom; }
    int width() const { return right - left; }
    int height() const { return top - bottom; }
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb; // bottom row first

    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

inline Picture readPicture(int width, int height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
}

inline bool isWhite(const uint8_t* p) { return p[0] == 255 && p[1] == 255 && p[2] == 255; }
inline bool isRed(const uint8_t* p) { return p[0] == 255 && p[1] == 0 && p[2] == 0; }
inline bool isBlack(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

template <typename Test>
int countPixels(const Picture& picture, PixelBox box, Test test)
{
    int n = 0;
    for (int y = box.bottom; y < box.top; ++y)
        for (int x = box.left; x < box.right; ++x)
            n += test(picture.at(x, y)) ? 1 : 0;
    return n;
}

// The smallest box around the pixels in search that pass test; empty when none do.
template <typename Test>
PixelBox boundsOf(const Picture& picture, PixelBox search, Test test)
{
    PixelBox bounds{search.right, search.top, search.left, search.bottom};
    for (int y = search.bottom; y < search.top; ++y)
        for (int x = search.left; x < search.right; ++x)
            if (test(picture.at(x, y))) {
                bounds.left = x < bounds.left ? x : bounds.left;
                bounds.right = x + 1 > bounds.right ? x + 1 : bounds.right;
                bounds.bottom = y < bounds.bottom ? y : bounds.bottom;
                bounds.top = y + 1 > bounds.top ? y + 1 : bounds.top;
            }
    return bounds;
}

// Identity matrices, so that raster positions are overlay coordinates; no
// depth test or texturing; white; a black picture.
inline void prepareFlatWindow()
{
    useClipSpaceView();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR) {}
}

// Sets the raster position to window pixel (x, y) of the flat window.
inline void rasterAtPixel(float x, float y) { glRasterPos2f(x / 400 - 1, y / 300 - 1); }

inline float rasterX()
{
    GLfloat raster[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    return raster[0];
}
