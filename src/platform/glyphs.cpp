#include "platform/glyphs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

namespace platform {

namespace {

constexpr int kMinOpenTypeWeight = 1;
constexpr int kMaxOpenTypeWeight = 1000;
constexpr double kPixelsPer26Dot6 = 1.0 / 64.0;

bool sourcePixelSet(const uint8_t* row, int x) { return (row[x >> 3] & (0x80u >> (x & 7))) != 0; }

void setGlyphPixel(GlyphBitmap& glyph, int rowBytes, int row, int x)
{
    glyph.bits[row * rowBytes + (x >> 3)] |= static_cast<uint8_t>(0x80u >> (x & 7));
}

void clearGlyph(GlyphBitmap& glyph) { std::memset(&glyph, 0, sizeof glyph); }

// Opens the best candidate for the request that FreeType can read and size.
// fontconfig orders every installed face by how well it fits, so a missing
// family still yields the nearest substitute, and a file FreeType rejects
// simply hands over to the next one.
bool openBestFace(FcConfig* config, FT_Library library, const char* faceName, int pixelHeight, int weight,
                  FT_Face& face, bool& faceIsBold, GlyphSet& out)
{
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return false;
    if (faceName && faceName[0] != '\0')
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName));
    const int openTypeWeight = std::clamp(weight, kMinOpenTypeWeight, kMaxOpenTypeWeight);
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(openTypeWeight));
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, static_cast<double>(pixelHeight));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    FcResult result = FcResultNoMatch;
    FcFontSet* candidates = FcFontSort(config, pattern, FcTrue, nullptr, &result);
    bool opened = false;
    for (int i = 0; candidates && i < candidates->nfont && !opened; ++i) {
        const FcPattern* candidate = candidates->fonts[i];
        FcChar8* file = nullptr;
        if (FcPatternGetString(candidate, FC_FILE, 0, &file) != FcResultMatch)
            continue;
        int index = 0;
        FcPatternGetInteger(candidate, FC_INDEX, 0, &index);
        if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &face) != 0)
            continue;
        // Fixed-size bitmap faces cannot give an arbitrary pixel height.
        if (!FT_IS_SCALABLE(face) || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight)) != 0) {
            FT_Done_Face(face);
            face = nullptr;
            continue;
        }
        int faceWeight = FC_WEIGHT_REGULAR;
        if (FcPatternGetInteger(candidate, FC_WEIGHT, 0, &faceWeight) == FcResultMatch)
            faceIsBold = faceWeight >= FC_WEIGHT_DEMIBOLD;
        else
            faceIsBold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
        std::snprintf(out.facePath, sizeof out.facePath, "%s", reinterpret_cast<const char*>(file));
        opened = true;
    }
    if (candidates)
        FcFontSetDestroy(candidates);
    FcPatternDestroy(pattern);
    return opened;
}

void renderGlyph(FT_Face face, int code, bool embolden, GlyphBitmap& glyph)
{
    clearGlyph(glyph);
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
    if (index == 0)
        return; // no glyph: draws nothing and does not move the pen
    // Outlines only: an embedded bitmap strike could be grey or colour, and
    // the lists need one bit per pixel.
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) != 0)
        return;
    FT_GlyphSlot slot = face->glyph;
    if (embolden)
        FT_GlyphSlot_Embolden(slot);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return;
    // Whole pixels keep every glyph of a line on the same pixel grid.
    glyph.advance = static_cast<float>(std::round(static_cast<double>(slot->advance.x) * kPixelsPer26Dot6));

    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || !bitmap.buffer)
        return;
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    // A negative pitch means the buffer starts at the bottom row.
    const uint8_t* topRow =
        bitmap.pitch >= 0 ? bitmap.buffer : bitmap.buffer - static_cast<long>(bitmap.pitch) * (rows - 1);
    packGlyphBitmap(topRow, bitmap.pitch, width, rows, slot->bitmap_left, slot->bitmap_top, glyph);
}

} // namespace

void packGlyphBitmap(const uint8_t* topRow, int pitch, int width, int height, int left, int top, GlyphBitmap& glyph)
{
    std::memset(glyph.bits, 0, sizeof glyph.bits);
    glyph.width = 0;
    glyph.height = 0;
    glyph.originX = 0;
    glyph.originY = 0;
    if (!topRow || width <= 0 || height <= 0)
        return;

    const int keptWidth = std::min(width, kMaxGlyphWidth);
    const int keptRows = std::min(height, kMaxGlyphRows);
    const int rowBytes = (keptWidth + 7) / 8;
    for (int sourceRow = 0; sourceRow < keptRows; ++sourceRow) {
        const uint8_t* source = topRow + static_cast<long>(sourceRow) * pitch;
        const int row = keptRows - 1 - sourceRow; // glBitmap wants the bottom row first
        for (int x = 0; x < keptWidth; ++x)
            if (sourcePixelSet(source, x))
                setGlyphPixel(glyph, rowBytes, row, x);
    }
    glyph.width = keptWidth;
    glyph.height = keptRows;
    glyph.originX = -left;
    // The kept part hangs from the image's top, so its bottom edge is keptRows below it.
    glyph.originY = keptRows - top;
}

bool loadGlyphs(const char* faceName, int pixelHeight, int weight, GlyphSet& out)
{
    std::memset(&out, 0, sizeof out);
    if (pixelHeight <= 0)
        return false;

    // A configuration of our own, destroyed at the end, rather than the
    // library's process-wide one: the glyphs are made once, and nothing of the
    // font stack outlives the call.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config)
        return false;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        FcConfigDestroy(config);
        return false;
    }
    FT_Face face = nullptr;
    bool faceIsBold = false;
    const bool loaded = openBestFace(config, library, faceName, pixelHeight, weight, face, faceIsBold, out);
    if (loaded) {
        const bool embolden = weight >= kBoldWeightThreshold && !faceIsBold;
        for (int i = 0; i < kGlyphCount; ++i)
            renderGlyph(face, kFirstGlyph + i, embolden, out.glyphs[i]);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    FcConfigDestroy(config);
    return loaded;
}

} // namespace platform
