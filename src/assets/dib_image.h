#pragma once
// The BMP ("DIB") reader: files with or without the 14-byte file header, with a
// 12- or 40-byte info header, decoded to a 3-component Image whose rows are in
// stored order (the picture's bottom row first for a positive height).

#include "assets/image.h"

#include <cstddef>
#include <cstdint>

// Decodes the bytes of a whole BMP file. Never reads outside them.
ImageResult decodeDibImage(const uint8_t* bytes, size_t size);

// Reads and decodes the named file; every failure is shown in a message box
// titled "Error" before it returns nothing.
std::optional<Image> loadDibImage(const char* fileName);
