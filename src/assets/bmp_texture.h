#pragma once
// Textures from BMP pictures: the eight that start-up loads (terrain, detail
// and the six sky faces), and those that mesh files name. A picture that
// cannot be loaded makes no texture, and the builder gives the reader's
// report; what follows is start-up's decision. Both leave the new texture
// bound to GL_TEXTURE_2D and upload with an unpack alignment of 1, which stays
// in force afterwards.

#include "assets/image.h"

#include <GL/gl.h>

// A start-up picture, read as loadBmpTexture reads it: a file that cannot be
// opened gets "Unable to load BMP File!" instead of the reader's own message.
PictureLoad loadStartUpPicture(const char* fileName);

// Start-up pictures, into slot, which a failure leaves as it was (0 at
// start-up). Minification GL_LINEAR_MIPMAP_LINEAR; sets the active unit's
// texture environment to GL_MODULATE.
Report loadBmpTexture(GLuint& slot, const char* fileName);

// Mesh pictures, into textures[index]: minification GL_LINEAR_MIPMAP_LINEAR,
// magnification GL_LINEAR.
Report loadMeshTexture(GLuint* textures, const char* fileName, int index);
