#include "import/elevation_import.h"

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
    const std::string version = "lumora-landscape 3 detail 2";
    const std::vector<std::string> model = {"--heightmap", "/maps/ridge.tif"};
    std::vector<std::string> pictured = model;
    pictured.insert(pictured.end(), {"--image", "/maps/photo.tif"});
    const FileIdentity ridge{2049, 1001, 52000, 1700000000, 5}, photo{2049, 1002, 900000, 1700000100, 0};
    const std::string base = landscapeCacheName(version, pictured, {ridge, photo});
    EXPECT_EQ(landscapeCacheName(version, pictured, {ridge, photo}), base);
    FileIdentity touched = photo, replaced = photo, grown = photo;
    touched.modifiedNanoseconds += 1;
    replaced.inode += 1;
    grown.size += 1;
    for (const std::string& name :
         {landscapeCacheName(version, model, {ridge}), landscapeCacheName(version, pictured, {ridge, touched}),
          landscapeCacheName(version, pictured, {ridge, replaced}),
          landscapeCacheName(version, pictured, {ridge, grown}),
          landscapeCacheName("lumora-landscape 4 detail 2", pictured, {ridge, photo})})
        EXPECT_NE(name, base);
}

} // namespace
