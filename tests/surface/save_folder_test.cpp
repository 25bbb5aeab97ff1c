#include "surface/save_folder.h"

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

} // namespace
