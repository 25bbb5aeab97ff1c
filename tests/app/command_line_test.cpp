#include "app/command_line.h"
#include "app/screenshot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Case {
    std::vector<const char*> args; // after the program name
    CommandAction action;
    StartMode mode;
    const char* folder;
    const char* problem;
};

TEST(CommandLine, ParsesEveryForm)
{
    const Case cases[] = {
        {{}, CommandAction::Run, StartMode::Ask, nullptr, nullptr},
        {{"data"}, CommandAction::Run, StartMode::Ask, "data", nullptr},
        {{"--windowed", "data"}, CommandAction::Run, StartMode::Windowed, "data", nullptr},
        {{"data", "--fullscreen"}, CommandAction::Run, StartMode::FullScreen, "data", nullptr},
        {{"--windowed", "--windowed"}, CommandAction::Run, StartMode::Windowed, nullptr, nullptr},
        {{"-"}, CommandAction::Run, StartMode::Ask, "-", nullptr},
        {{"--", "--windowed"}, CommandAction::Run, StartMode::Ask, "--windowed", nullptr},
        {{"--windowed", "--help"}, CommandAction::Help, StartMode::Ask, nullptr, nullptr},
        {{"-h"}, CommandAction::Help, StartMode::Ask, nullptr, nullptr},
        {{"--version", "--bogus"}, CommandAction::Version, StartMode::Ask, nullptr, nullptr},
        {{"--bogus", "--help"}, CommandAction::Usage, StartMode::Ask, nullptr, "--bogus"},
        {{"-w"}, CommandAction::Usage, StartMode::Ask, nullptr, "-w"},
        {{"one", "two"}, CommandAction::Usage, StartMode::Ask, "one", "two"},
        {{"--windowed", "--fullscreen"}, CommandAction::Usage, StartMode::Windowed, nullptr, "--fullscreen"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"lumora"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        SCOPED_TRACE(argv.size() > 1 ? argv[1] : "(none)");
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.mode, c.mode);
        EXPECT_STREQ(line.folder, c.folder);
        EXPECT_STREQ(line.problem, c.problem);
    }
}

TEST(Screenshot, NamesTheFileByLocalTime)
{
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 0;
    time.tm_mday = 2;
    time.tm_hour = 3;
    time.tm_min = 4;
    time.tm_sec = 5;
    char name[kScreenshotNameSize];
    formatScreenshotName(time, name);
    EXPECT_STREQ(name, "lumora-20260102-030405.png");
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

} // namespace
