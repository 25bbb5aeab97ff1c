#include "overlay/font.h"

#include "support/read_back.h"
#include "support/gl_test_context.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <set>
#include <utility>

namespace {

using platform::GlyphBitmap;
using platform::GlyphSet;

TEST(FontLists, OneListPerCodeFrom32To127)
{
    REQUIRE_GL_CONTEXT();
    const auto glyphs = std::make_unique<GlyphSet>();
    const GLuint base = buildFontLists(*glyphs);
    ASSERT_NE(base, 0u);
    for (GLuint i = 0; i < 96; ++i)
        EXPECT_TRUE(glIsList(base + i)) << "code " << 32 + i;
    EXPECT_FALSE(glIsList(base + 96)) << "one list too many";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteLists(base, 96);
}

// A glyph nine pixels wide needs two bytes a row: with the start-up unpack
// alignment of 4 its rows would be read from the wrong bytes.
TEST(FontLists, GlyphIsDrawnAtItsOriginAndMovesTheRasterByItsAdvance)
{
    REQUIRE_GL_CONTEXT();
    const auto glyphs = std::make_unique<GlyphSet>();
    GlyphBitmap& a = glyphs->glyphs['A' - 32];
    a.width = 9;
    a.height = 3;
    a.originX = 1; // the bitmap starts one pixel left of the pen
    a.originY = 1; // and one row below the baseline
    a.advance = 12;
    const uint8_t rows[6] = {
        0x80, 0x80, // bottom row: pixels 0 and 8
        0xFF, 0x80, // middle row: pixels 0..8
        0x08, 0x00, // top row: pixel 4
    };
    std::copy(std::begin(rows), std::end(rows), a.bits);

    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const GLuint base = buildFontLists(*glyphs);
    ASSERT_NE(base, 0u);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the unpack state is restored";

    prepareFlatWindow();
    rasterAtPixel(100, 100);
    glCallList(base + 'A' - 32);
    EXPECT_NEAR(rasterX(), 112.0f, 1e-3f);

    std::set<std::pair<int, int>> expected = {{99, 99}, {107, 99}, {103, 101}};
    for (int x = 99; x <= 107; ++x)
        expected.insert({x, 100});
    const Picture picture = readPicture(800, 600);
    for (int y = 90; y < 110; ++y)
        for (int x = 90; x < 120; ++x) {
            const bool lit = isWhite(picture.at(x, y));
            EXPECT_EQ(lit, expected.count({x, y}) == 1) << "pixel (" << x << ", " << y << ")";
            EXPECT_TRUE(lit || isBlack(picture.at(x, y)));
        }
    glDeleteLists(base, 96);
}

TEST(FontLists, AnEmptyGlyphOnlyAdvances)
{
    REQUIRE_GL_CONTEXT();
    const auto glyphs = std::make_unique<GlyphSet>();
    glyphs->glyphs[0].advance = 9; // the space
    const GLuint base = buildFontLists(*glyphs);
    ASSERT_NE(base, 0u);

    prepareFlatWindow();
    rasterAtPixel(100, 100);
    glCallList(base);
    glCallList(base + 1); // '!', empty and without advance
    EXPECT_NEAR(rasterX(), 109.0f, 1e-3f);
    const Picture picture = readPicture(800, 600);
    EXPECT_EQ(countPixels(picture, {0, 0, 800, 600}, isBlack), 800 * 600);
    glDeleteLists(base, 96);
}

} // namespace
