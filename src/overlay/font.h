#pragma once
// The overlay font: 96 consecutive display lists, one per character code
// 32..127, each drawing its one-bit glyph at the current raster position and
// moving the raster position on by the glyph's advance. The lists are made
// once and never deleted.

#include "platform/glyphs.h"

#include <GL/gl.h>

// The face asked for; the font matching picks a substitute where it is missing.
constexpr const char* kOverlayFaceName = "Stencil";
constexpr int kOverlayFontPixels = 34;  // character height
constexpr int kOverlayFontWeight = 700; // bold

// Compiles one list per glyph of the set; returns the first list's name, or 0
// when no lists could be made. Leaves the pixel unpack state as it found it.
GLuint buildFontLists(const platform::GlyphSet& glyphs);
