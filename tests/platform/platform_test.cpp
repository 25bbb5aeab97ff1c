#include "platform/platform.h"

#include "app/frame.h"
#include "app/main_loop.h"
#include "app/projection.h"
#include "support/gl_test_context.h"
#include "terrain/extensions.h"

#include <GL/gl.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// The pointer is held only while the window has the keyboard focus: shows the
// test window at the screen's origin, gives it the focus and takes the events
// that say so.
void focusTestWindow()
{
    platform::showWindow();
    const std::string ours = "xdotool search --sync --onlyvisible --pid " + std::to_string(getpid()) +
                             " --name '^lumora test$' windowfocus --sync";
    ASSERT_EQ(std::system(ours.c_str()), 0) << "xdotool is needed on the test display";
    platform::Event event{};
    for (int tries = 0; tries < 20; ++tries) {
        while (platform::pollEvent(event)) {}
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

TEST(Platform, CursorIsPlacedAndReadInScreenPixels)
{
    REQUIRE_GL_CONTEXT();
    focusTestWindow();
    // The camera holds the cursor at (400, 300), the centre of the client
    // area at the screen's origin.
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
    while (platform::seconds() - startSeconds < 0.05) {}
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

TEST(MessageBox, AnUnshownBoxIsOneLineNamingItsTitleAndText)
{
    char line[128];
    platform::describeUnshownMessageBox("Unable to load TGA File!", "Error", line, sizeof line);
    EXPECT_STREQ(line, "lumora: Error: Unable to load TGA File!");

    // The file-open message ends in a line break; the line does not.
    platform::describeUnshownMessageBox("Failed to open DIB file a.bmp.\n", "Error", line, sizeof line);
    EXPECT_STREQ(line, "lumora: Error: Failed to open DIB file a.bmp.");
    platform::describeUnshownMessageBox("two\nlines", "Options", line, sizeof line);
    EXPECT_STREQ(line, "lumora: Options: two lines");

    char small[12];
    platform::describeUnshownMessageBox("a text far longer than the line", "Error", small, sizeof small);
    EXPECT_STREQ(small, "lumora: Err");
}

TEST(MessageBox, ABoxThatCannotBeShownWritesItsLineAndAnswersAsDismissed)
{
    // No X server listens on this display, and no other window system is named.
    const char* display = std::getenv("DISPLAY");
    const std::string savedDisplay = display ? display : "";
    setenv("DISPLAY", ":4093", 1);
    unsetenv("WAYLAND_DISPLAY");

    testing::internal::CaptureStderr();
    const platform::MessageBoxAnswer okAnswer = platform::showMessageBox(
        "Unable to load TGA File!", "Error", platform::MessageBoxKind::Ok, platform::BoxOwner::None);
    const platform::MessageBoxAnswer questionAnswer =
        platform::showMessageBox("Click Yes to go to full screen (Recommended)", "Options",
                                 platform::MessageBoxKind::YesNoQuestion, platform::BoxOwner::None);
    const std::string written = testing::internal::GetCapturedStderr();

    if (display)
        setenv("DISPLAY", savedDisplay.c_str(), 1);
    EXPECT_EQ(okAnswer, platform::MessageBoxAnswer::Ok);
    // A dismissed question is not No, so the viewer goes full screen.
    EXPECT_EQ(questionAnswer, platform::MessageBoxAnswer::Closed);
    EXPECT_NE(written.find("lumora: Error: Unable to load TGA File!\n"), std::string::npos) << written;
    EXPECT_NE(written.find("lumora: Options: Click Yes to go to full screen (Recommended)\n"), std::string::npos)
        << written;
}

TEST(Platform, CursorMovedByAnotherClientIsReadAtOnce)
{
    REQUIRE_GL_CONTEXT();
    focusTestWindow();
    // A pointer moved without raw motion events (here by another client) must
    // be seen by the next read, or the camera would not turn.
    platform::setCursorPosition(400, 300);
    int x = -1;
    int y = -1;
    platform::getCursorPosition(x, y);
    ASSERT_EQ(x, 400);
    ASSERT_EQ(std::system("xdotool mousemove 250 120"), 0) << "xdotool is needed on the test display";
    platform::getCursorPosition(x, y);
    EXPECT_EQ(x, 250);
    EXPECT_EQ(y, 120);
}

// Without a window manager, unmapping and mapping the window is how it is
// minimised and restored.
TEST(Platform, MinimiseAndRestoreWhileZoomedArriveAsResizesToEightyDegrees)
{
    REQUIRE_GL_CONTEXT();
    Shell shell;
    Drawing drawing;
    shell.fullScreen = false;
    shell.clientRect = {0, 0, 800, 600};
    setUpViewport(drawing, 800, 600);
    drawing.zoom = Zoom::On;
    applyZoom(drawing, shell.clientRect);
    // Other test binaries may show windows of that title on the same display.
    const std::string pid = std::to_string(getpid());
    const std::string ours = "xdotool search --sync --pid " + pid + " --name '^lumora test$' ";
    platform::showWindow();
    std::system(("xdotool search --sync --onlyvisible --pid " + pid + " --name '^lumora test$' >/dev/null").c_str());
    for (const auto& [action, height] : {std::pair{"windowunmap", 0}, std::pair{"windowmap", 600}}) {
        const std::string command = ours + action + " --sync";
        ASSERT_EQ(std::system(command.c_str()), 0);
        Message message{};
        bool resized = false;
        for (int tries = 0; tries < 200 && !resized; ++tries) {
            while (!resized && shell.queue.take(message, shell.keys)) {
                windowProcedure(shell, drawing, message);
                resized = message.kind == MessageKind::Size;
            }
            applyDisplayRequests(drawing, shell.clientRect);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(resized) << action;
        EXPECT_EQ(message.width, 800) << action;
        EXPECT_EQ(message.height, height) << action;
        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        EXPECT_NEAR(2 * std::atan(1 / projection[5]) * 180 / M_PI, 80.0, 1e-3) << action;
    }
    EXPECT_EQ(drawing.zoom, Zoom::OnDrawnNormal); // a resize leaves the toggle as it was
}
