#include "overlay/text.h"

#include "overlay/font.h"
#include "support/read_back.h"
#include "support/gl_test_context.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// Formatting needs no context.

TEST(FormatText, NullFormatGivesAnEmptyText)
{
    char text[kTextBufferBytes] = "left over";
    const char* noFormat = nullptr;
    EXPECT_EQ(formatText(text, noFormat, 1), 0);
    EXPECT_STREQ(text, "");
}

TEST(FormatText, LongTextsAreCutTo255Bytes)
{
    for (const int length : {0, 1, 254, 255, 256, 300, 5000}) {
        const std::string source(static_cast<size_t>(length), 'x');
        // Guard bytes on both sides show any write outside the buffer.
        struct {
            char before[16];
            char text[kTextBufferBytes];
            char after[16];
        } guarded;
        std::fill(std::begin(guarded.before), std::end(guarded.before), '#');
        std::fill(std::begin(guarded.after), std::end(guarded.after), '#');
        const int kept = formatText(guarded.text, "%s", source.c_str());
        const int expected = length < 255 ? length : 255;
        EXPECT_EQ(kept, expected) << length;
        EXPECT_EQ(std::string(guarded.text), std::string(static_cast<size_t>(expected), 'x')) << length;
        EXPECT_EQ(std::string(guarded.before, 16), std::string(16, '#'));
        EXPECT_EQ(std::string(guarded.after, 16), std::string(16, '#'));
    }
}

TEST(FormatText, KeepsOnlyBytesThatHaveGlyphs)
{
    char text[kTextBufferBytes];
    // 32 and 127 are the first and last codes with lists; 31 and 128 the first outside.
    EXPECT_EQ(formatText(text, "%s",
                         "\x01"
                         "A\x1f \x7f\x80"
                         "B\xff\t"),
              4);
    EXPECT_STREQ(text, "A \x7f"
                       "B");
    EXPECT_EQ(formatText(text, "%d:%s", -7, "\xc3\xa9t\xc3\xa9"), 4);
    EXPECT_STREQ(text, "-7:t");
}

// Drawing, with a font of blocks 6 pixels wide and 8 high that advance 10.

constexpr float kBlockAdvance = 10;

GLuint buildBlockFont()
{
    const auto glyphs = std::make_unique<platform::GlyphSet>();
    for (platform::GlyphBitmap& glyph : glyphs->glyphs) {
        glyph.width = 6;
        glyph.height = 8;
        glyph.advance = kBlockAdvance;
        std::fill(glyph.bits, glyph.bits + 8, uint8_t{0xFC});
    }
    return buildFontLists(*glyphs);
}

// Texturing on, as the frame has it, to see printText switch it off and on.
void prepareTextWindow()
{
    prepareFlatWindow();
    glEnable(GL_TEXTURE_2D);
}

std::vector<GLfloat> currentColour()
{
    std::vector<GLfloat> colour(4);
    glGetFloatv(GL_CURRENT_COLOR, colour.data());
    return colour;
}

const std::vector<GLfloat> kWhite = {1, 1, 1, 1};

// Lists under the names a stray byte would call: each turns the colour green
// and throws the raster far to the right, so a call cannot go unseen.
struct TrapLists {
    std::vector<GLuint> names;

    void add(GLuint name)
    {
        static const GLubyte dot = 0x80;
        glNewList(name, GL_COMPILE);
        glColor3f(0, 1, 0);
        glBitmap(1, 1, 0, 0, 1000, 0, &dot);
        glEndList();
        names.push_back(name);
    }
    ~TrapLists()
    {
        for (GLuint name : names)
            glDeleteLists(name, 1);
    }
};

TEST(PrintText, DrawsWhiteGlyphsFromTheRasterPositionOn)
{
    REQUIRE_GL_CONTEXT();
    const GLuint font = buildBlockFont();
    ASSERT_NE(font, 0u);
    prepareTextWindow();
    glEnable(GL_BLEND);
    glListBase(7);

    rasterAtPixel(100, 100);
    printText(font, "%d", 42);
    EXPECT_NEAR(rasterX(), 100 + 2 * kBlockAdvance, 1e-3f);

    const Picture picture = readPicture(800, 600);
    EXPECT_EQ(countPixels(picture, {100, 100, 106, 108}, isWhite), 48) << "the '4'";
    EXPECT_EQ(countPixels(picture, {110, 100, 116, 108}, isWhite), 48) << "the '2'";
    EXPECT_EQ(countPixels(picture, {0, 0, 800, 600}, isWhite), 96) << "nothing else";

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(currentColour(), kWhite);
    GLint listBase = 0;
    glGetIntegerv(GL_LIST_BASE, &listBase);
    EXPECT_EQ(listBase, 7) << "the list base is restored";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteLists(font, 96);
}

// The white that printText sets reaches only raster positions set after it.
TEST(PrintText, GlyphsKeepTheColourOfTheirRasterPosition)
{
    REQUIRE_GL_CONTEXT();
    const GLuint font = buildBlockFont();
    ASSERT_NE(font, 0u);
    prepareTextWindow();

    glColor3f(1, 0, 0);
    rasterAtPixel(100, 100);
    printText(font, "A");
    rasterAtPixel(100, 200);
    printText(font, "A");

    const Picture picture = readPicture(800, 600);
    EXPECT_EQ(countPixels(picture, {100, 100, 106, 108}, isRed), 48);
    EXPECT_EQ(countPixels(picture, {100, 200, 106, 208}, isWhite), 48);
    glDeleteLists(font, 96);
}

TEST(PrintText, NullFormatHasNoEffect)
{
    REQUIRE_GL_CONTEXT();
    const GLuint font = buildBlockFont();
    ASSERT_NE(font, 0u);
    prepareTextWindow();
    glEnable(GL_BLEND);
    glColor3f(0.25f, 0.5f, 0.75f);
    const std::vector<GLfloat> colour = currentColour();
    rasterAtPixel(100, 100);

    const char* noFormat = nullptr;
    printText(font, noFormat, 1);

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(currentColour(), colour);
    EXPECT_NEAR(rasterX(), 100, 1e-3f);
    const Picture picture = readPicture(800, 600);
    EXPECT_EQ(countPixels(picture, {0, 0, 800, 600}, isBlack), 800 * 600);
    glDisable(GL_BLEND);
    glDeleteLists(font, 96);
}

TEST(PrintText, BytesOutside32To127CallNoList)
{
    REQUIRE_GL_CONTEXT();
    const GLuint font = buildBlockFont();
    ASSERT_NE(font, 0u);
    TrapLists traps;
    // Bytes 128..255 would name the lists right after the font, where the
    // next pass's lists are made; bytes 1..31 the ones right before it.
    for (GLuint byte = 128; byte < 256; ++byte)
        traps.add(font - 32 + byte);
    for (GLuint byte = 1; byte < 32; ++byte)
        if (font - 32 + byte >= 1 && font - 32 + byte < font)
            traps.add(font - 32 + byte);
    prepareTextWindow();

    rasterAtPixel(100, 100);
    printText(font, "%s",
              "A\x01\x1f\x80\x9f\xff"
              "B");
    EXPECT_NEAR(rasterX(), 100 + 2 * kBlockAdvance, 1e-3f) << "only A and B advance";
    EXPECT_EQ(currentColour(), kWhite) << "a trap list ran";
    const Picture picture = readPicture(800, 600);
    EXPECT_EQ(countPixels(picture, {0, 0, 800, 600}, isWhite), 96);
    glDeleteLists(font, 96);
}

TEST(PrintText, WithoutAFontNothingIsCalled)
{
    REQUIRE_GL_CONTEXT();
    TrapLists traps;
    for (GLuint name = 1; name < 128; ++name)
        traps.add(name);
    prepareTextWindow();
    glEnable(GL_BLEND);

    rasterAtPixel(100, 100);
    printText(0, "%s", "ABC~");
    EXPECT_NEAR(rasterX(), 100, 1e-3f);
    EXPECT_EQ(currentColour(), kWhite);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST(PrintText, LongTextsDrawAtMost255Glyphs)
{
    REQUIRE_GL_CONTEXT();
    const GLuint font = buildBlockFont();
    ASSERT_NE(font, 0u);
    struct Row {
        int length;
        float advance;
    };
    for (const Row row : {Row{254, 2540}, Row{255, 2550}, Row{256, 2550}, Row{1000, 2550}}) {
        prepareTextWindow();
        const std::string text(static_cast<size_t>(row.length), '.');
        rasterAtPixel(0, 100);
        printText(font, "%s", text.c_str());
        EXPECT_NEAR(rasterX(), row.advance, 1e-2f) << row.length << " bytes";
        const Picture picture = readPicture(800, 600);
        EXPECT_EQ(countPixels(picture, {0, 100, 800, 108}, isWhite), 80 * 48) << "the window shows 80 glyphs";
    }
    glDeleteLists(font, 96);
}

} // namespace
