// The texture builders that end the process when their picture cannot be
// loaded: exit status 0, after the reader's box if it shows one, and nothing
// after it runs. They end before any GL call, so no context is needed.

#include "assets/bmp_texture.h"
#include "assets/tga_image.h"

#include "picture_files.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Box texts go to standard error, where the death test reads them.
platform::MessageBoxAnswer boxToStandardError(const char* text, const char* title, platform::MessageBoxKind)
{
    std::fprintf(stderr, "%s: %s|", title, text);
    return platform::MessageBoxAnswer::Ok;
}

void afterwards() { std::fprintf(stderr, "went on"); }

} // namespace

TEST(TextureExitDeathTest, AMissingMeshPictureEndsTheProcessAfterTheReadersBox)
{
    GLuint textures[4] = {};
    EXPECT_EXIT(
        {
            platform::setMessageBoxHook(boxToStandardError);
            loadMeshTexture(textures, "no such bark.bmp", 1);
            afterwards();
        },
        ::testing::ExitedWithCode(0), "^Error: Failed to open DIB file no such bark\\.bmp\\.\n\\|$");
}

TEST(TextureExitDeathTest, AnUndecodableMeshPictureEndsTheProcessAfterItsMessage)
{
    Bmp v4;
    v4.headerBytes = 108;
    const std::string path = writeTempFile("exit_v4.bmp", v4.bytes());
    GLuint textures[4] = {};
    EXPECT_EXIT(
        {
            platform::setMessageBoxHook(boxToStandardError);
            loadMeshTexture(textures, path.c_str(), 0);
            afterwards();
        },
        ::testing::ExitedWithCode(0), "^Error: Unknown DIB file format\\.\\|$");
}

TEST(TextureExitDeathTest, AMissingSpriteEndsTheProcessAfterItsBox)
{
    GLuint names[1] = {};
    EXPECT_EXIT(
        {
            platform::setMessageBoxHook(boxToStandardError);
            createTgaTexture(names, "no such sprite.tga", 0);
            afterwards();
        },
        ::testing::ExitedWithCode(0), "^Error: Unable to load TGA File!\\|$");
}

TEST(TextureExitDeathTest, AnEightBitSpriteEndsTheProcessWithoutAMessage)
{
    const std::string path = writeTempFile("exit_grey.tga", tga(2, 8, 2, 2, {1, 2, 3, 4}));
    GLuint names[1] = {};
    EXPECT_EXIT(
        {
            platform::setMessageBoxHook(boxToStandardError);
            createTgaTexture(names, path.c_str(), 0);
            afterwards();
        },
        ::testing::ExitedWithCode(0), "^$");
}
