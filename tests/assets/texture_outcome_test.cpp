// The texture builders whose picture a mesh or the flyers need: a picture
// that cannot be loaded makes no texture and gives the reader's report, with
// its message if it has one. They return before any GL call, so no context is
// needed. What follows is start-up's (startup_test).

#include "assets/bmp_texture.h"
#include "assets/mesh_model.h"
#include "assets/tga_image.h"

#include "picture_files.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(TextureOutcome, APictureThatCannotBeLoadedGivesTheReadersReport)
{
    Bmp v4;
    v4.headerBytes = 108;
    const std::string undecodableBmp = writeTempFile("exit_v4.bmp", v4.bytes());
    const std::string greyTga = writeTempFile("exit_grey.tga", tga(2, 8, 2, 2, {1, 2, 3, 4}));
    struct Case {
        bool mesh; // loadMeshTexture, else createTgaTexture
        std::string file;
        const char* message;
    };
    const Case cases[] = {
        {true, "no such bark.bmp", "Failed to open DIB file no such bark.bmp.\n"},
        {true, undecodableBmp, "Unknown DIB file format."},
        {false, "no such sprite.tga", "Unable to load TGA File!"},
        {false, greyTga, ""}, // an 8-bit sprite fails without a message
    };
    for (const Case& c : cases) {
        GLuint textures[4] = {};
        const Report report =
            c.mesh ? loadMeshTexture(textures, c.file.c_str(), 1) : createTgaTexture(textures, c.file.c_str(), 1);
        EXPECT_EQ(report.failure, Failure::Read) << c.file;
        EXPECT_EQ(report.text, c.message) << c.file;
        EXPECT_EQ(textures[1], 0u) << c.file;
    }
}

TEST(TextureOutcome, AMeshWhosePictureCannotBeLoadedGivesThePicturesMessage)
{
    // One sub-mesh without triangles, then the one picture it names.
    const std::string text = "1 0 0 0 1 bark.bmp";
    const std::string mesh = writeTempFile("bark_mesh.vxm", Bytes(text.begin(), text.end()));
    auto model = std::make_unique<MeshModel>();
    const Report report = model->load(mesh.c_str());
    EXPECT_EQ(report.failure, Failure::NamedPicture);
    EXPECT_EQ(report.text, "Failed to open DIB file bark.bmp.\n");
}

} // namespace
