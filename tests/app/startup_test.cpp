#include "app/startup.h"

#include "support/gl_test_context.h"
#include "support/recorded_boxes.h"

#include <GL/gl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        recordMessageBoxes();
        shell.fullScreen = false;
        shell.queue.pumpsPlatform = false;
    }
    void TearDown() override { stopRecordingMessageBoxes(); }

    Shell shell;
    std::unique_ptr<World> world = std::make_unique<World>();
};

// Stands in for the context's entry-point lookup: offers only what is listed.
const char* offered = "";
void* offeredOnly(const char* name)
{
    static int dummy;
    return std::string(offered).find(name) != std::string::npos ? &dummy : nullptr;
}

TEST_F(StartUp, EachMissingExtensionGroupHasItsOwnMessageAndPostsAQuit)
{
    struct Case {
        const char* offered;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"glActiveTextureARB glMultiTexCoord2fARB glFogCoordfEXT", {}},
        {"glActiveTextureARB glFogCoordfEXT", {"Your current setup does not support multitexturing"}},
        {"glMultiTexCoord2fARB glFogCoordfEXT", {"Your current setup does not support multitexturing"}},
        {"glActiveTextureARB glMultiTexCoord2fARB", {"Your current setup does not support volumetric fog"}},
        {"",
         {"Your current setup does not support multitexturing", "Your current setup does not support volumetric fog"}},
    };
    for (const Case& c : cases) {
        recordedBoxes.clear();
        MessageQueue queue;
        ExtensionEntryPoints entryPoints;
        offered = c.offered;
        loadExtensionEntryPoints(entryPoints, offeredOnly, queue);
        ASSERT_EQ(recordedBoxes.size(), c.messages.size()) << "offered: " << c.offered;
        for (size_t i = 0; i < recordedBoxes.size(); ++i) {
            EXPECT_EQ(recordedBoxes[i].text, c.messages[i]);
            EXPECT_EQ(recordedBoxes[i].title, "Error");
        }
        EXPECT_EQ(queue.quitPosted, !c.messages.empty()) << "offered: " << c.offered;
        EXPECT_EQ(queue.quitCode, 0);
    }
}

TEST_F(StartUp, AFullScreenModeTheDisplayLacksIsRefusedAndEndsTheRun)
{
    // The virtual display of the tests is 1024 x 768 with no other mode.
    REQUIRE_GL_CONTEXT();
    switchDisplayMode(shell);
    ASSERT_EQ(recordedBoxes.size(), 1u);
    EXPECT_EQ(recordedBoxes[0].text, "Display Mode Not Compatible");
    EXPECT_EQ(recordedBoxes[0].title, "Error");
    EXPECT_TRUE(shell.queue.quitPosted);
}

TEST_F(StartUp, LeavesTheViewerAtItsStartAndTheGraphicsStateForTheFrame)
{
    REQUIRE_GL_CONTEXT();
    platform::deleteRenderingContext(); // start-up makes its own
    startUp(shell, *world);
    ASSERT_TRUE(platform::hasRenderingContext());

    EXPECT_EQ(shell.clientRect.right, 800);
    EXPECT_EQ(shell.clientRect.bottom, 600);
    EXPECT_FLOAT_EQ(shell.fieldOfView, 80);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);

    const Camera& camera = world->camera;
    EXPECT_FLOAT_EQ(camera.position.x, 500);
    EXPECT_FLOAT_EQ(camera.position.y, 35);
    EXPECT_FLOAT_EQ(camera.position.z, 500);
    EXPECT_FLOAT_EQ(camera.viewPoint.x, 501);
    EXPECT_FLOAT_EQ(camera.upVector.y, 1);

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLint fogMode = 0;
    glGetIntegerv(GL_FOG_MODE, &fogMode);
    EXPECT_EQ(fogMode, GL_LINEAR);
    GLfloat fogEnd = 0;
    glGetFloatv(GL_FOG_END, &fogEnd);
    EXPECT_FLOAT_EQ(fogEnd, 50);

    // Mesa's software renderer offers every extension the terrain needs.
    EXPECT_NE(world->extensions.glActiveTextureARB, nullptr);
    EXPECT_NE(world->extensions.glFogCoordfEXT, nullptr);
    EXPECT_FALSE(shell.queue.quitPosted);
    EXPECT_EQ(platform::depthBits(), 32);
}

} // namespace
