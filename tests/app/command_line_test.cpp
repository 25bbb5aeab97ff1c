#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Case {
    std::vector<const char*> args; // after the program name
    CommandAction action;
    StartMode mode;
    const char* path;
    const char* problem;
    ImportChoices import = {};
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
        {{"--fullscreen-desktop", "data"}, CommandAction::Run, StartMode::FullScreenDesktop, "data", nullptr},
        {{"--fullscreen", "--fullscreen-desktop"},
         CommandAction::Usage,
         StartMode::FullScreen,
         nullptr,
         "--fullscreen-desktop"},
        {{"--render-scale", "0.5", "data"}, CommandAction::Run, StartMode::Ask, "data", nullptr},
        {{"--render-scale", "2"}, CommandAction::Usage, StartMode::Ask, nullptr, "--render-scale"},
        {{"--render-scale"}, CommandAction::Usage, StartMode::Ask, nullptr, "--render-scale"},
        // The import's own options: each once, with a value, and a FILE.
        {{"hm.tif", "--image", "a.tif", "--track", "t.gpx", "--plants", "none"},
         CommandAction::Run,
         StartMode::Ask,
         "hm.tif",
         nullptr,
         {"a.tif", "t.gpx", "none"}},
        {{"hm.tif", "--plants", "cacti"}, CommandAction::Usage, StartMode::Ask, "hm.tif", "cacti"},
        {{"hm.tif", "--image", "a", "--image", "b"},
         CommandAction::Usage,
         StartMode::Ask,
         "hm.tif",
         "--image",
         {"a"}},
        {{"hm.tif", "--track"}, CommandAction::Usage, StartMode::Ask, "hm.tif", "--track"},
        {{"--track", "t.gpx"}, CommandAction::Usage, StartMode::Ask, nullptr, "--track", {nullptr, "t.gpx"}},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"lumora"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        SCOPED_TRACE(argv.size() > 1 ? argv[1] : "(none)");
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.mode, c.mode);
        EXPECT_STREQ(line.path, c.path);
        EXPECT_STREQ(line.problem, c.problem);
        EXPECT_STREQ(line.import.image, c.import.image);
        EXPECT_STREQ(line.import.track, c.import.track);
        EXPECT_STREQ(line.import.plants, c.import.plants);
    }
}

TEST(CommandLine, TheRenderScaleTakesTheNextWordAndNamesAValueItCannotUse)
{
    const char* automatic[] = {"lumora", "--render-scale", "auto", "data"};
    CommandLine line = parseCommandLine(4, automatic);
    EXPECT_TRUE(line.renderScale.automatic);
    EXPECT_STREQ(line.path, "data");

    const char* twice[] = {"lumora", "--render-scale", "0.5", "--render-scale", "0.25"};
    line = parseCommandLine(5, twice);
    EXPECT_FALSE(line.renderScale.automatic);
    EXPECT_FLOAT_EQ(line.renderScale.scale, 0.25f);

    const char* wrong[] = {"lumora", "--render-scale", "0.1"};
    line = parseCommandLine(3, wrong);
    EXPECT_EQ(line.action, CommandAction::Usage);
    EXPECT_STREQ(line.problemValue, "0.1");
    EXPECT_FLOAT_EQ(parseCommandLine(1, wrong).renderScale.scale, 1) << "the default is the window's own size";
    EXPECT_STREQ(line.problemRange, "0.25 to 1, or auto") << "the refusal's line gives the range";
}

TEST(CommandLine, TheTerrainErrorIsAPositiveNumberOfPixels)
{
    const char* none[] = {"lumora"};
    EXPECT_FLOAT_EQ(parseCommandLine(1, none).terrainError, 2) << "the default";
    struct ErrorCase {
        const char* value;
        float pixels; // 0: refused
    };
    const ErrorCase cases[] = {
        {"0.5", 0.5f}, {"2", 2}, {"16", 16}, {"1e-3", 0.001f},
        {"0", 0},      {"-1", 0}, {"", 0},   {"2px", 0},      {"nan", 0}, {"inf", 0}, {"1e39", 0},
    };
    for (const ErrorCase& c : cases) {
        const char* argv[] = {"lumora", "--terrain-error", c.value, "data"};
        const CommandLine line = parseCommandLine(4, argv);
        if (c.pixels > 0) {
            EXPECT_EQ(line.action, CommandAction::Run) << c.value;
            EXPECT_FLOAT_EQ(line.terrainError, c.pixels) << c.value;
            EXPECT_STREQ(line.path, "data") << c.value;
        } else {
            EXPECT_EQ(line.action, CommandAction::Usage) << c.value;
            EXPECT_STREQ(line.problem, "--terrain-error") << c.value;
            EXPECT_STREQ(line.problemValue, c.value) << c.value;
            EXPECT_STREQ(line.problemRange, "a number of pixels above 0") << c.value;
        }
    }
    const char* missing[] = {"lumora", "--terrain-error"};
    EXPECT_EQ(parseCommandLine(2, missing).action, CommandAction::Usage);
}

TEST(CommandLine, TheRenderFilterIsNearestByDefaultOrLinear)
{
    const char* linear[] = {"lumora",  "--render-filter", "linear", "--render-filter",
                            "nearest", "--render-filter", "linear", "data"};
    EXPECT_EQ(parseCommandLine(1, linear).renderFilter, StretchFilter::Nearest);
    EXPECT_EQ(parseCommandLine(8, linear).renderFilter, StretchFilter::Linear);
    for (const char* wrong : {"Linear", "bilinear"}) {
        const char* argv[] = {"lumora", "--render-filter", wrong};
        const CommandLine line = parseCommandLine(3, argv);
        EXPECT_EQ(line.action, CommandAction::Usage) << wrong;
        EXPECT_STREQ(line.problemRange, "nearest or linear") << wrong;
    }
}

} // namespace
