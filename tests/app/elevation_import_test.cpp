#include "app/elevation_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ElevationImport, TheCacheFolderFollowsTheUsersCacheHome)
{
    struct Case {
        const char* xdgCacheHome;
        const char* home;
        const char* root;
    };
    const Case cases[] = {
        {"/var/cache/you", "/home/you", "/var/cache/you/lumora"},
        {nullptr, "/home/you", "/home/you/.cache/lumora"},
        {"", "/home/you", "/home/you/.cache/lumora"},
        {"cache", "/home/you", "/home/you/.cache/lumora"}, // a relative value is ignored
        {"/var/cache/you", nullptr, "/var/cache/you/lumora"},
        {nullptr, nullptr, ""},
        {"cache", "home", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xdgCacheHome ? c.xdgCacheHome : "(unset)");
        EXPECT_EQ(landscapeCacheRoot(c.xdgCacheHome, c.home), c.root);
    }
}

// The cache folder changes with anything the import reads or is asked, and
// only then.
TEST(ElevationImport, TheCacheFolderFollowsEveryFileAndOption)
{
    const std::string version = "lumora-landscape 0.1.0 (format 1, detail 3)";
    const std::vector<std::string> model = {"--heightmap", "/maps/ridge.tif"};
    const std::vector<std::string> withPicture = {"--heightmap", "/maps/ridge.tif", "--image", "/maps/photo.tif"};
    const FileIdentity ridge{2049, 1001, 52000, 1700000000, 5};
    const FileIdentity photo{2049, 1002, 900000, 1700000100, 0};
    const std::string base = landscapeCacheName(version, withPicture, {ridge, photo});
    EXPECT_EQ(base.size(), 16u);
    EXPECT_EQ(landscapeCacheName(version, withPicture, {ridge, photo}), base) << "the same import, the same folder";

    FileIdentity touched = photo;
    touched.modifiedNanoseconds += 1;
    FileIdentity replaced = photo;
    replaced.inode += 1;
    FileIdentity grown = photo;
    grown.size += 1;
    struct Case {
        const char* change;
        std::string name;
    };
    const Case cases[] = {
        {"no picture", landscapeCacheName(version, model, {ridge})},
        {"the picture touched", landscapeCacheName(version, withPicture, {ridge, touched})},
        {"the picture replaced", landscapeCacheName(version, withPicture, {ridge, replaced})},
        {"the picture grown", landscapeCacheName(version, withPicture, {ridge, grown})},
        {"another picture",
         landscapeCacheName(version, {"--heightmap", "/maps/ridge.tif", "--image", "/maps/b.tif"}, {ridge, photo})},
        {"a track instead",
         landscapeCacheName(version, {"--heightmap", "/maps/ridge.tif", "--track", "/maps/photo.tif"},
                            {ridge, photo})},
        {"no plants",
         landscapeCacheName(version,
                            {"--heightmap", "/maps/ridge.tif", "--image", "/maps/photo.tif", "--plants", "none"},
                            {ridge, photo})},
        {"a newer generator",
         landscapeCacheName("lumora-landscape 0.2.0 (format 1, detail 3)", withPicture, {ridge, photo})},
    };
    for (const Case& c : cases)
        EXPECT_NE(c.name, base) << c.change;
}

} // namespace
