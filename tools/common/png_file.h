#pragma once
// PNG files written by the tools: decoded pictures and read-back frames, both
// of which hold their bottom row first (texture coordinate t = 0, and the
// first row that glReadPixels returns). The file holds the top row first.

#include <cstdint>

// Writes width x height pixels of `components` bytes (3: RGB, 4: RGBA), rows
// packed back to back, bottom row first. Returns false when the file cannot
// be written.
bool writePngBottomRowFirst(const char* path, int width, int height, int components, const uint8_t* pixels);
