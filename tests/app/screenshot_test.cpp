#include "app/screenshot.h"

#include "app/walk_recording.h"
#include "formats/walk_format.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

TEST(Screenshot, NamesTheFileByLocalTime)
{
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 0;
    time.tm_mday = 2;
    time.tm_hour = 3;
    time.tm_min = 4;
    time.tm_sec = 5;
    char name[kSaveNameSize];
    formatSaveName(time, ".png", name);
    EXPECT_STREQ(name, "lumora-20260102-030405.png");
    formatSaveName(time, ".walk", name);
    EXPECT_STREQ(name, "lumora-20260102-030405.walk");
}

TEST(Screenshot, ReadsThePictureFolderFromUserDirs)
{
    const struct {
        const char* text;
        const char* folder;
    } cases[] = {
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n", "/home/u/Bilder"},
        {"  XDG_PICTURES_DIR=\"/srv/pictures\"", "/srv/pictures"},
        {"# XDG_PICTURES_DIR=\"$HOME/Old\"\n", ""},
        {"XDG_PICTURES_DIR=\"$HOME/\"\n", ""}, // switched off
        {"XDG_PICTURES_DIR=\"relative\"\n", ""},
        {"XDG_PICTURES_DIR=\"$HOME/unterminated\n", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(picturesFolderFromUserDirs(c.text, "/home/u"), c.folder) << c.text;
}

// F9's walk goes where F12's pictures go; a full buffer saves it at once.
TEST(WalkRecording, AFullWalkIsSavedWhereScreenshotsGo)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("walks." + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    Shell shell;
    shell.startFolder = folder.string();
    const auto world = std::make_unique<World>();
    world->camera.place({10, 20, 30}, {11, 20, 30}, kUpVector);

    // Pressed twice before a frame is drawn: nothing to save.
    toggleWalkRecording(shell);
    EXPECT_TRUE(shell.walk.active());
    toggleWalkRecording(shell);
    EXPECT_FALSE(shell.walk.active());
    EXPECT_TRUE(fs::is_empty(folder));

    shell.walk.start(3);
    testing::internal::CaptureStderr();
    for (int frame = 0; frame < 3; ++frame) {
        recordWalkFrame(shell, *world, 0.5f);
        EXPECT_EQ(world->overlay.recordingMark, frame < 2) << "frame " << frame;
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(shell.walk.active());
    recordWalkFrame(shell, *world, 0.5f); // no longer recording: nothing happens

    ASSERT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 1);
    const fs::path saved = fs::directory_iterator(folder)->path();
    EXPECT_EQ(saved.extension(), ".walk");
    EXPECT_NE(said.find("recording stopped"), std::string::npos) << said;
    EXPECT_NE(said.find("saved the walk as " + saved.string() + " (1.0 s)"), std::string::npos) << said;
    std::stringstream text;
    text << std::ifstream(saved).rdbuf();
    std::vector<WalkFrame> walk;
    WalkProblem problem;
    ASSERT_TRUE(parseWalk(text.str(), walk, problem)) << problem.text;
    ASSERT_EQ(walk.size(), 3u);
    EXPECT_EQ(walk[2].time, 1.0f);
    EXPECT_EQ(walk[2].eye.x, 10);
    fs::remove_all(folder);
}

} // namespace
