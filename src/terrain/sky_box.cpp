#include "terrain/sky_box.h"

#include <GL/glext.h>

SkyBoxFaces skyBoxFaces(float cx, float cy, float cz, float width, float height, float length)
{
    const float x[2] = {cx - width / 2, cx - width / 2 + width};
    const float y[2] = {cy - height / 2, cy - height / 2 + height};
    const float z[2] = {cz - length / 2, cz - length / 2 + length};

    SkyBoxFaces box{};
    for (int f = 0; f < kSkyFaceCount; ++f) {
        const SkyFacePattern& pattern = kSkyFacePatterns[f];
        box.faces[f].texture = pattern.texture;
        for (int c = 0; c < kSkyFaceCorners; ++c) {
            const SkyCornerPattern& p = pattern.corners[c];
            box.faces[f].corners[c] = {x[p.x], y[p.y], z[p.z], p.s, p.t};
        }
    }
    return box;
}

void drawSkyBox(const SkyBox& sky, float cx, float cy, float cz, float width, float height, float length)
{
    const SkyBoxFaces box = skyBoxFaces(cx, cy, cz, width, height, length);
    glEnable(GL_TEXTURE_2D);
    for (const SkyFace& face : box.faces) {
        glBindTexture(GL_TEXTURE_2D, sky.skyTextures[face.texture]);
        // Clamped, so no face edge blends in the picture's opposite edge.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBegin(GL_QUADS);
        for (const SkyCorner& corner : face.corners) {
            glTexCoord2f(corner.s, corner.t);
            glVertex3f(corner.x, corner.y, corner.z);
        }
        glEnd();
    }
}
