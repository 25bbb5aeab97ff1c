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

// CLI11 reads the words; a word is an option only by its exact name, and the
// word after an option that takes a value is that value, whatever it is.
TEST(ToolOptions, WordsAreReadByTheirExactNames)
{
    const struct {
        std::vector<const char*> args;
        ToolCommandLine::Action action;
        const char* problem;
        const char* seed; // the value of --seed, or null
        size_t positionals;
    } cases[] = {
        {{"--seed=5"}, ToolCommandLine::Action::Usage, "there is no option --seed=5", nullptr, 0},
        {{"--json=1"}, ToolCommandLine::Action::Usage, "there is no option --json=1", nullptr, 0},
        {{"--", "out"}, ToolCommandLine::Action::Usage, "there is no option --", nullptr, 0},
        {{"out", "-5"}, ToolCommandLine::Action::Usage, "there is no option -5", nullptr, 0},
        {{"-hx"}, ToolCommandLine::Action::Usage, "there is no option -hx", nullptr, 0},
        {{"--help=1", "-h"}, ToolCommandLine::Action::Usage, "there is no option --help=1", nullptr, 0},
        {{"out", "--version", "--bogus"}, ToolCommandLine::Action::Version, "", nullptr, 0},
        {{"--bogus", "--seed"}, ToolCommandLine::Action::Usage, "there is no option --bogus", nullptr, 0},
        {{"--seed", "--json"}, ToolCommandLine::Action::Run, "", "--json", 0},
        {{"--seed", "--help", "out"}, ToolCommandLine::Action::Run, "", "--help", 1},
        {{"--seed", "--x=y", "--", ""}, ToolCommandLine::Action::Usage, "there is no option --", nullptr, 0},
        {{"", "--seed", "--", "a b"}, ToolCommandLine::Action::Run, "", "--", 2},
    };
    for (const auto& c : cases) {
        const ToolCommandLine line = parse(c.args);
        EXPECT_EQ(line.action, c.action) << c.args[0];
        EXPECT_EQ(line.problem, c.problem) << c.args[0];
        if (c.action == ToolCommandLine::Action::Run) {
            ASSERT_NE(line.value("--seed"), nullptr) << c.args[0];
            EXPECT_EQ(*line.value("--seed"), c.seed) << c.args[0];
            EXPECT_EQ(line.positional.size(), c.positionals) << c.args[0];
        }
    }
    // Every option given counts, in order, repeats included.
    const ToolCommandLine line = parse({"--json", "--seed", "1", "--json", "--seed", "2"});
    ASSERT_EQ(line.given.size(), 4u);
    EXPECT_EQ(line.given[1], (std::pair<std::string, std::string>{"--seed", "1"}));
    EXPECT_EQ(line.given[3], (std::pair<std::string, std::string>{"--seed", "2"}));
}
