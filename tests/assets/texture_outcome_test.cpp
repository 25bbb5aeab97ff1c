// The texture builders whose picture a mesh or the flyers need: a picture
// that cannot be loaded gives the reader's box, if it shows one, makes no
// texture and says that the process must end. They return before any GL
// call, so no context is needed. The ending itself is start-up's (startup_test).

#include "assets/bmp_texture.h"
#include "assets/tga_image.h"

#include "picture_files.h"
#include "support/recorded_boxes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextureOutcome, APictureThatCannotBeLoadedAsksToEndAfterTheReadersBox)
{
    Bmp v4;
    v4.headerBytes = 108;
    const std::string undecodableBmp = writeTempFile("exit_v4.bmp", v4.bytes());
    const std::string greyTga = writeTempFile("exit_grey.tga", tga(2, 8, 2, 2, {1, 2, 3, 4}));
    struct Case {
        bool mesh; // loadMeshTexture, else createTgaTexture
        std::string file;
        const char* box; // nullptr: none
    };
    const Case cases[] = {
        {true, "no such bark.bmp", "Failed to open DIB file no such bark.bmp.\n"},
        {true, undecodableBmp, "Unknown DIB file format."},
        {false, "no such sprite.tga", "Unable to load TGA File!"},
        {false, greyTga, nullptr}, // an 8-bit sprite ends without a message
    };
    for (const Case& c : cases) {
        recordMessageBoxes();
        GLuint textures[4] = {};
        const LoadOutcome outcome =
            c.mesh ? loadMeshTexture(textures, c.file.c_str(), 1) : createTgaTexture(textures, c.file.c_str(), 1);
        stopRecordingMessageBoxes();
        EXPECT_EQ(outcome, LoadOutcome::EndProcess) << c.file;
        EXPECT_EQ(textures[1], 0u) << c.file;
        ASSERT_EQ(recordedBoxes.size(), c.box ? 1u : 0u) << c.file;
        if (c.box) {
            EXPECT_EQ(recordedBoxes[0].title, "Error");
            EXPECT_EQ(recordedBoxes[0].text, c.box);
        }
    }
}

} // namespace
