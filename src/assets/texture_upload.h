#pragma once
// The step all the texture builders share: a mipmapped texture from a picture.

#include "assets/image.h"

#include <GL/gl.h>

// Makes a new texture into name, leaves it bound to GL_TEXTURE_2D and builds
// its full mipmap chain from the picture: internal format = components, GL_RGB
// or GL_RGBA, byte-aligned unpacking (the rows have no gap bytes, so any other
// alignment skews them). Sets the minification filter; the magnification
// filter and the texture environment are the caller's.
void makeMipmappedTexture(GLuint& name, const Image& image, GLint minFilter);
