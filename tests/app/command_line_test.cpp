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
        EXPECT_STREQ(line.path, c.path);
        EXPECT_STREQ(line.problem, c.problem);
    }
}

} // namespace
