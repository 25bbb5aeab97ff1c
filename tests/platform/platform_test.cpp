#include "platform/platform.h"

#include "support/gl_test_context.h"
#include "terrain/extensions.h"

TEST(Platform, CursorIsPlacedAndReadInScreenPixels)
{
    REQUIRE_GL_CONTEXT();
    // The camera holds the cursor at the screen point (400, 300).
    platform::setCursorPosition(400, 300);
    int x = -1;
    int y = -1;
    platform::getCursorPosition(x, y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);

    platform::setCursorPosition(123, 456);
    platform::getCursorPosition(x, y);
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 456);
}

TEST(Platform, ClocksAdvanceTogether)
{
    const double startSeconds = platform::seconds();
    const uint32_t startMilliseconds = platform::milliseconds();
    while (platform::seconds() - startSeconds < 0.05) {
    }
    const double elapsed = platform::seconds() - startSeconds;
    const uint32_t elapsedMilliseconds = platform::milliseconds() - startMilliseconds;
    EXPECT_GE(elapsed, 0.05);
    EXPECT_NEAR(elapsedMilliseconds, elapsed * 1000.0, 25.0); // the two reads are not simultaneous
}

TEST(Platform, ExtensionEntryPointsCountOnlyWhenTheContextAdvertisesThem)
{
    REQUIRE_GL_CONTEXT();
    EXPECT_TRUE(platform::hasGlExtension("GL_ARB_multitexture"));
    EXPECT_TRUE(platform::hasGlExtension("GL_EXT_fog_coord"));
    EXPECT_FALSE(platform::hasGlExtension("GL_LUMORA_no_such_extension"));
    EXPECT_NE(lookUpAdvertisedEntryPoint("glActiveTextureARB"), nullptr);
    EXPECT_NE(lookUpAdvertisedEntryPoint("glMultiTexCoord2fARB"), nullptr);
    EXPECT_NE(lookUpAdvertisedEntryPoint("glFogCoordfEXT"), nullptr);
}
