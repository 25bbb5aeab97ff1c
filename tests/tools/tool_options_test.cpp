#include "common/tool_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ToolCommandLine parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "tool");
    return parseToolCommandLine(static_cast<int>(args.size()), args.data(), {{"--seed", true}, {"--json", false}});
}

TEST(ToolOptions, SortsWordsIntoOptionsAndPositionals)
{
    const ToolCommandLine line = parse({"out", "--seed", "-5", "--json", "more", "--seed", "7"});
    EXPECT_EQ(line.action, ToolCommandLine::Action::Run);
    EXPECT_EQ(line.positional, (std::vector<std::string>{"out", "more"}));
    ASSERT_NE(line.value("--seed"), nullptr);
    EXPECT_EQ(*line.value("--seed"), "7"); // the last one counts; "-5" was a value, not an option
    EXPECT_TRUE(line.has("--json"));
    EXPECT_FALSE(line.has("--help"));
}

TEST(ToolOptions, HelpVersionAndWrongUse)
{
    const struct {
        std::vector<const char*> args;
        ToolCommandLine::Action action;
        const char* problem;
    } cases[] = {
        {{"out", "--version"}, ToolCommandLine::Action::Version, ""},
        {{"-h", "--bogus"}, ToolCommandLine::Action::Help, ""},
        {{"--bogus", "--help"}, ToolCommandLine::Action::Usage, "there is no option --bogus"},
        {{"out", "--seed"}, ToolCommandLine::Action::Usage, "--seed needs a value"},
        {{"-"}, ToolCommandLine::Action::Run, ""}, // a lone dash is a name
    };
    for (const auto& c : cases) {
        const ToolCommandLine line = parse(c.args);
        EXPECT_EQ(line.action, c.action) << c.args[0];
        EXPECT_EQ(line.problem, c.problem) << c.args[0];
    }
}

TEST(ToolOptions, PictureSizes)
{
    const struct {
        const char* text;
        bool valid;
        int width, height;
    } cases[] = {
        {"800x600", true, 800, 600}, {"1x1", true, 1, 1},       {"1048576x1", true, 1 << 20, 1},
        {"1048577x1", false, 0, 0},  {"0x600", false, 0, 0},    {"800x0", false, 0, 0},
        {"-800x600", false, 0, 0},   {"+800x600", false, 0, 0}, {"800X600", false, 0, 0},
        {"800x600x2", false, 0, 0},  {"800", false, 0, 0},      {"x600", false, 0, 0},
        {"800x", false, 0, 0},       {"8.5x600", false, 0, 0},  {"99999999999x1", false, 0, 0},
    };
    for (const auto& c : cases) {
        int width = 0;
        int height = 0;
        EXPECT_EQ(parsePictureSize(c.text, width, height), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(width, c.width) << c.text;
            EXPECT_EQ(height, c.height) << c.text;
        }
    }
}

} // namespace
