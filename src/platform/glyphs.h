#pragma once
// One-bit glyph bitmaps of a system font face for the character codes 32..127,
// laid out so that each can go straight to glBitmap with an unpack alignment
// of 1. The caller owns the GlyphSet, a fixed-size record: loading allocates
// nothing of ours, only what the font stack needs while it works.
//
// Units are pixels. A glyph is at most kMaxGlyphWidth x kMaxGlyphRows; a larger
// one keeps its top-left part of that size (the part nearest the pen's upper
// left) and the rest is dropped, never written past the record.

#include <cstdint>

namespace platform {

constexpr int kFirstGlyph = 32;
constexpr int kGlyphCount = 96; // codes kFirstGlyph .. kFirstGlyph + kGlyphCount - 1

// Room for a bold glyph of the overlay's face at up to 200 pixels, as a tall
// picture scales it, with a margin: in the usual substitute face the widest
// glyph is 35 pixels and the tallest 34 rows at 34 pixels.
constexpr int kMaxGlyphWidth = 256;
constexpr int kMaxGlyphRowBytes = kMaxGlyphWidth / 8;
constexpr int kMaxGlyphRows = 256;
constexpr int kMaxGlyphBytes = kMaxGlyphRowBytes * kMaxGlyphRows;

// The 100..900 weight scale: at and above this a face that is not bold itself
// is thickened, so a bold request never comes back light.
constexpr int kBoldWeightThreshold = 600;

struct GlyphBitmap {
    int width;     // pixels; 0 for a glyph that draws nothing (space, missing codes)
    int height;    // rows
    int originX;   // glBitmap's xorig: the bitmap's left edge lies originX pixels left of the pen
    int originY;   // glBitmap's yorig: its bottom row lies originY pixels below the baseline
    float advance; // pixels the raster position moves on after the glyph
    uint8_t bits
        [kMaxGlyphBytes]; // rows bottom-up, (width + 7) / 8 bytes each, leftmost pixel in the MSB; unused bytes are 0
};

struct GlyphSet {
    char facePath[256];              // file of the face actually used, cut to fit; empty when none was loaded
    GlyphBitmap glyphs[kGlyphCount]; // index = character code - kFirstGlyph
};

// Renders the named face at pixelHeight pixels of character height (the em
// box, ascender plus descender), weight on the 100..900 scale (700 = bold),
// into out. When the face is not installed the font matching picks a
// substitute. Codes the face has no glyph for get width 0 and advance 0.
// Returns false, with out cleared (empty glyphs, empty facePath), when no face
// at all can be loaded or pixelHeight is not positive.
bool loadGlyphs(const char* faceName, int pixelHeight, int weight, GlyphSet& out);

// Copies a one-bit image into glyph (bits, width, height, originX, originY;
// advance is left alone). The source rows run top-down, pitch bytes from one
// row to the next below it, leftmost pixel in the MSB. left and top place the
// image's top-left pixel relative to the pen, x to the right and y up. An image
// beyond kMaxGlyphWidth x kMaxGlyphRows is clipped to its top-left part.
void packGlyphBitmap(const uint8_t* topRow, int pitch, int width, int height, int left, int top, GlyphBitmap& glyph);

} // namespace platform
