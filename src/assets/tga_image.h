#pragma once
// The TGA reader and the sprite textures made from it: uncompressed 16-, 24-
// and 32-bit pictures, and run-length encoded 24- and 32-bit ones. The image
// type only tells run-length (10) from the rest; everything else is decided by
// the pixel depth. Rows keep the file's order and are never flipped: the first
// row in the file is texture coordinate t = 0. The ID field is skipped, a
// colour map is not (the pixels are taken to start right after the ID).
//
// 16-bit pixels give 3 components, each 5-bit channel shifted left by 3 (bit 15
// carries no colour). A picture keeps the width and height of its header:
// where the file ends early, every missing pixel repeats the last one read.

#include "assets/image.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

// Decodes the bytes of a whole TGA file. Never reads outside them. An unknown
// depth (or a run-length depth other than 24 and 32) fails without a message;
// a file too short for its header or for one pixel, or a picture of more than
// mostPixels, fails with "Unable to load TGA File!". A width or height of 0
// gives a picture without pixels, which no texture can be built from.
ImageResult decodeTga(const uint8_t* bytes, size_t size, uint64_t mostPixels = kMostPicturePixels);

// Reads and decodes the named file. A file that cannot be opened gets "Unable
// to load TGA File!"; a failure of the decoder keeps its message, or none.
PictureLoad loadTga(const char* fileName);

// Makes one mipmapped texture from the file into textureNames[index] and
// leaves it bound (minification GL_LINEAR_MIPMAP_NEAREST, magnification
// GL_LINEAR). With no file name it does nothing. A picture that cannot be
// loaded makes no texture and gives the reader's report.
Report createTgaTexture(GLuint* textureNames, const char* fileName, int index);
