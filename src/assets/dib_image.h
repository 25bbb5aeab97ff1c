#pragma once
// The BMP ("DIB") reader: files with or without the 14-byte file header, with a
// 12- or 40-byte info header; palettes of 1, 4 and 8 bits (RLE8 and RLE4 too),
// 16 bits (5-5-5), 24 and 32 bits, and bit-field masks at 16 and 32 bits.
// Decoded to a 3-component Image whose rows are in stored bottom-up order: the
// picture's bottom row first. A file stored top row first is turned upright,
// so it gives the same Image as the same picture stored bottom-up.
//
// Whatever the header claims, nothing outside the file is read. The picture
// keeps the header's width and height: the rows a truncated file does not
// hold are black (the top rows of a bottom-up file, the bottom rows of a
// top-down one), and so are the pixels that a run-length file skips.

#include "assets/image.h"

#include <cstddef>
#include <cstdint>

// Decodes the bytes of a whole BMP file. The failure is one of
// "Unknown DIB file format." (an info header neither 12 nor 40 bytes long),
// "Image file conversion error." (no row to convert: bad dimensions, more
// than mostPixels, an unsupported bit count or compression, no pixel data) or
// "Out of memory.".
ImageResult decodeDibImage(const uint8_t* bytes, size_t size, uint64_t mostPixels = kMostPicturePixels);

// Reads and decodes the named file; every failure comes with its message. A
// file that cannot be opened or holds no bytes gives "Failed to open DIB file
// <name>.\n", cut to 255 characters with the line break kept.
PictureLoad loadDibImage(const char* fileName);
