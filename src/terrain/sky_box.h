#pragma once
// The sky box: six pictures on a large box drawn around the viewer every frame.
// The frame centres it on the eye, so walking never brings its walls nearer.

#include <GL/gl.h>

constexpr int kSkyFaceCount = 6;

struct SkyBox {
    // back, front, bottom, top, left, right; 0 where the picture failed to load
    GLuint skyTextures[kSkyFaceCount] = {};
};

void drawSkyBox(const SkyBox& sky, float cx, float cy, float cz, float width, float height, float length);
