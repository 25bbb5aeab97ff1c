#pragma once
// Overlay text: printf-style formatting into a fixed buffer, drawn by calling
// one font list per byte at the current raster position.
//
// A formatted text holds at most kTextMaxLength bytes; the rest is cut off.
// Only the codes 32..127 have glyphs. Any other byte is dropped before drawing,
// since it would name a list outside the font (another pass's display list).

#include <GL/gl.h>

#include <cstdarg>

constexpr int kFirstGlyphCode = 32;
constexpr int kGlyphCodeCount = 96; // codes 32..127, one display list each
constexpr int kTextBufferBytes = 256;
constexpr int kTextMaxLength = kTextBufferBytes - 1;

// Formats into text and keeps only the bytes that have glyphs, in order.
// Returns their count. A null format gives an empty text.
int formatText(char (&text)[kTextBufferBytes], const char* format, ...) __attribute__((format(printf, 2, 3)));
int vformatText(char (&text)[kTextBufferBytes], const char* format, va_list arguments);

// Draws the formatted text in white with the font lists from fontListBase,
// untextured and unblended; turns 2-D texturing back on afterwards, blending
// stays off. The white applies to raster positions set afterwards: glyphs
// keep the colour that was current when their raster position was set.
// A null format has no effect at all; without a font (fontListBase 0) the
// state changes happen but nothing is drawn.
void printText(GLuint fontListBase, const char* format, ...) __attribute__((format(printf, 2, 3)));
