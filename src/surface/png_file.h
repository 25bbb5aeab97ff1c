#pragma once
// The one PNG writer of the viewer and the tools: read-back frames and decoded
// pictures, both of which hold their bottom row first (the first row that
// glReadPixels returns, and texture coordinate t = 0). The file holds the top
// row first. Allocates a copy of the pixels for the one write.

#include <cstdint>

// Writes width x height pixels of `components` bytes (3: RGB, 4: RGBA), rows
// packed back to back, bottom row first. Returns false when the file cannot
// be written.
bool writePngBottomRowFirst(const char* path, int width, int height, int components, const uint8_t* pixels);
