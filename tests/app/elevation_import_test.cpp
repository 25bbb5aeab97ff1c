#include "app/elevation_import.h"

#include <gtest/gtest.h>

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

} // namespace
