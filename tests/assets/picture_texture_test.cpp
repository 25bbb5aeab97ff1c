// Textures built from pictures, read back from a real context: the upload is
// byte-aligned whatever came before, the filters and environment are the
// builder's own, and a picture that cannot be loaded leaves its slot alone.

#include "assets/bmp_texture.h"
#include "assets/tga_image.h"

#include "picture_files.h"
#include "support/gl_test_context.h"

#include <GL/gl.h>

#include <string>
#include <vector>

namespace {

GLint boundParameter(GLenum name)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint levelParameter(GLint level, GLenum name)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

GLint environmentMode()
{
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    return mode;
}

GLint boundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

// Level 0 of the bound texture, rows back to back.
Bytes levelZero(GLenum format, int components)
{
    Bytes pixels(size_t(levelParameter(0, GL_TEXTURE_WIDTH) * levelParameter(0, GL_TEXTURE_HEIGHT) * components));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Whether every pixel of row y (of a level-0 readback) is the colour.
bool rowIs(const Bytes& pixels, int width, int components, int y, const Bytes& colour)
{
    for (int x = 0; x < width; ++x)
        for (int c = 0; c < components; ++c)
            if (pixels[size_t((y * width + x) * components + c)] != colour[size_t(c)])
                return false;
    return true;
}

// A 24-bit BMP five pixels wide and three high, each row one colour: bottom
// (200, 10, 20), middle (90, 90, 90), top (30, 180, 40). With four-byte
// unpacking the top row would be read two bytes late. The mipmap builder
// rescales it to 4 x 4; its first row stays the bottom colour and its last
// the top one.
std::string fiveWideBmp()
{
    Bmp bmp;
    bmp.width = 5;
    bmp.height = 3;
    for (const Bytes& bgr : {Bytes{20, 10, 200}, Bytes{90, 90, 90}, Bytes{40, 180, 30}}) {
        for (int x = 0; x < 5; ++x)
            bmp.pixels.insert(bmp.pixels.end(), bgr.begin(), bgr.end());
        bmp.pixels.push_back(0);
    }
    return writeTempFile("five_wide.bmp", bmp.bytes());
}

class PictureTexture : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_GL_CONTEXT();
        // What a builder must not rely on: four-byte rows, another environment.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
};

} // namespace

TEST_F(PictureTexture, AFiveWideBmpUploadsUnskewedAndLeavesByteAlignedUnpacking)
{
    GLuint slot = 0;
    EXPECT_FALSE(loadBmpTexture(slot, fiveWideBmp().c_str()).failed());
    ASSERT_NE(slot, 0u);
    EXPECT_EQ(boundTexture(), GLint(slot));
    const int width = levelParameter(0, GL_TEXTURE_WIDTH);
    const int height = levelParameter(0, GL_TEXTURE_HEIGHT);
    ASSERT_EQ(height, 4);
    const Bytes pixels = levelZero(GL_RGB, 3);
    // The first row in the buffer (the picture's bottom row) is t = 0.
    EXPECT_TRUE(rowIs(pixels, width, 3, 0, {200, 10, 20}));
    EXPECT_TRUE(rowIs(pixels, width, 3, height - 1, {30, 180, 40}));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
}

TEST_F(PictureTexture, ABmpTextureIsMipmappedWithTrilinearMinificationAndModulates)
{
    GLuint slot = 0;
    loadBmpTexture(slot, fiveWideBmp().c_str());
    ASSERT_NE(slot, 0u);
    EXPECT_EQ(boundParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(boundParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(boundParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(boundParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(environmentMode(), GL_MODULATE);
    // The chain runs down to one pixel: 4 x 4, 2 x 2, 1 x 1.
    EXPECT_EQ(levelParameter(2, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(levelParameter(2, GL_TEXTURE_HEIGHT), 1);
}

TEST_F(PictureTexture, ABmpThatCannotBeLoadedLeavesItsSlotAndSaysWhy)
{
    Bmp v4;
    v4.headerBytes = 108;
    const std::string empty = writeTempFile("empty.bmp", {});
    struct Case {
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {"hillTop.bmp", "Unable to load BMP File!"}, // the probe fails first: no reader message
        {empty, "Failed to open DIB file " + empty + ".\n"},
        {writeTempFile("v4.bmp", v4.bytes()), "Unknown DIB file format."},
    };
    for (const Case& c : cases) {
        GLuint slot = 0;
        const Report report = loadBmpTexture(slot, c.file.c_str());
        EXPECT_EQ(slot, 0u) << c.file;
        EXPECT_EQ(report.failure, Failure::Read) << c.file;
        EXPECT_EQ(report.text, c.message);
    }
    EXPECT_EQ(boundTexture(), 0);
    EXPECT_EQ(environmentMode(), GL_REPLACE);
}

TEST_F(PictureTexture, AMeshTextureGoesToItsEntryWithLinearFiltersAndKeepsTheEnvironment)
{
    GLuint textures[3] = {0, 0, 0};
    loadMeshTexture(textures, fiveWideBmp().c_str(), 2);
    EXPECT_EQ(textures[0], 0u);
    EXPECT_EQ(textures[1], 0u);
    ASSERT_NE(textures[2], 0u);
    EXPECT_EQ(boundTexture(), GLint(textures[2]));
    EXPECT_EQ(boundParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(boundParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(environmentMode(), GL_REPLACE);
    const Bytes pixels = levelZero(GL_RGB, 3);
    EXPECT_TRUE(rowIs(pixels, levelParameter(0, GL_TEXTURE_WIDTH), 3, levelParameter(0, GL_TEXTURE_HEIGHT) - 1,
                      {30, 180, 40}));

    // Every call makes a texture of its own, even for the same file.
    loadMeshTexture(textures, fiveWideBmp().c_str(), 1);
    EXPECT_NE(textures[1], 0u);
    EXPECT_NE(textures[1], textures[2]);
}

TEST_F(PictureTexture, ATgaTextureIsRgbOrRgbaByItsComponentsAndKeepsTheFileRowOrder)
{
    struct Case {
        uint8_t depth;
        GLenum format;
        GLint alphaBits;
    };
    for (const Case& c : {Case{24, GL_RGB, 0}, Case{32, GL_RGBA, 8}}) {
        SCOPED_TRACE(int(c.depth));
        const int components = c.depth / 8;
        // Rows as stored (B, G, R, A), five pixels wide: a 24-bit row is 15
        // bytes, so a TGA texture made before any BMP one must still upload
        // unskewed.
        const Bytes stored[3] = {{10, 20, 30, 77}, {90, 90, 90, 90}, {40, 50, 60, 200}};
        Bytes data;
        for (const Bytes& row : stored)
            for (int x = 0; x < 5; ++x)
                data.insert(data.end(), row.begin(), row.begin() + components);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        const std::string path = writeTempFile("sprite.tga", tga(2, c.depth, 5, 3, data));
        GLuint names[2] = {0, 0};
        createTgaTexture(names, path.c_str(), 1);
        ASSERT_NE(names[1], 0u);
        EXPECT_EQ(names[0], 0u);
        EXPECT_EQ(boundTexture(), GLint(names[1]));
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), components);
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_ALPHA_SIZE), c.alphaBits);
        EXPECT_EQ(boundParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
        EXPECT_EQ(boundParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(environmentMode(), GL_REPLACE);

        // Read back in the texture's own format; alpha comes through only if
        // the upload was GL_RGBA.
        const Bytes pixels = levelZero(c.format, components);
        const int width = levelParameter(0, GL_TEXTURE_WIDTH);
        const int height = levelParameter(0, GL_TEXTURE_HEIGHT);
        Bytes first = {30, 20, 10, 77};
        Bytes last = {60, 50, 40, 200};
        first.resize(size_t(components));
        last.resize(size_t(components));
        EXPECT_TRUE(rowIs(pixels, width, components, 0, first)); // the first row in the file is t = 0
        EXPECT_TRUE(rowIs(pixels, width, components, height - 1, last));
    }
}

TEST_F(PictureTexture, ATgaTextureWithoutAFileNameDoesNothing)
{
    GLuint names[1] = {1234};
    EXPECT_FALSE(createTgaTexture(names, nullptr, 0).failed());
    EXPECT_EQ(names[0], 1234u);
    EXPECT_EQ(boundTexture(), 0);
}
