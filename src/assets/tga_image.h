#pragma once
// The TGA reader and the sprite textures made from it: uncompressed 16-, 24-
// and 32-bit pictures, and run-length encoded 24- and 32-bit ones. Rows keep
// the file's order; the first row in the file is texture coordinate t = 0.

#include "assets/image.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

// Decodes the bytes of a whole TGA file. Never reads outside them.
ImageResult decodeTga(const uint8_t* bytes, size_t size);

// Reads and decodes the named file. Only a file that cannot be opened shows a
// message box ("Unable to load TGA File!").
std::optional<Image> loadTga(const char* fileName);

// Makes one mipmapped texture from the file into textureNames[index] and
// leaves it bound. A picture that cannot be loaded ends the process.
void createTgaTexture(GLuint* textureNames, const char* fileName, int index);
