#include "overlay/font.h"

#include "overlay/text.h"

static_assert(platform::kFirstGlyph == kFirstGlyphCode && platform::kGlyphCount == kGlyphCodeCount,
              "the text routine calls exactly the lists that the font makes");

GLuint buildFontLists(const platform::GlyphSet& glyphs)
{
    const GLuint base = glGenLists(kGlyphCodeCount);
    if (base == 0)
        return 0;
    // Glyph rows are packed to whole bytes with no padding, and glBitmap reads
    // them with the unpack state current when the list is compiled.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    for (int i = 0; i < kGlyphCodeCount; ++i) {
        const platform::GlyphBitmap& glyph = glyphs.glyphs[i];
        glNewList(base + static_cast<GLuint>(i), GL_COMPILE);
        glBitmap(glyph.width, glyph.height, static_cast<GLfloat>(glyph.originX), static_cast<GLfloat>(glyph.originY),
                 glyph.advance, 0, glyph.bits);
        glEndList();
    }
    glPopClientAttrib();
    return base;
}
