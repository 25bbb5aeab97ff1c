#include "common/tool_options.h"

bool ToolCommandLine::has(std::string_view name) const { return value(name) != nullptr; }

const std::string* ToolCommandLine::value(std::string_view name) const
{
    for (auto it = given.rbegin(); it != given.rend(); ++it) {
        if (it->first == name)
            return &it->second;
    }
    return nullptr;
}

ToolCommandLine parseToolCommandLine(int argc, const char* const* argv, std::initializer_list<ToolOption> options)
{
    ToolCommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return {ToolCommandLine::Action::Help, {}, {}, {}};
        if (arg == "--version")
            return {ToolCommandLine::Action::Version, {}, {}, {}};
        if (arg.size() < 2 || arg[0] != '-') {
            line.positional.emplace_back(arg);
            continue;
        }
        const ToolOption* known = nullptr;
        for (const ToolOption& option : options) {
            if (arg == option.name)
                known = &option;
        }
        if (!known) {
            line.action = ToolCommandLine::Action::Usage;
            line.problem = "there is no option " + std::string(arg);
            return line;
        }
        if (known->takesValue && i + 1 >= argc) {
            line.action = ToolCommandLine::Action::Usage;
            line.problem = std::string(arg) + " needs a value";
            return line;
        }
        line.given.emplace_back(arg, known->takesValue ? argv[++i] : "");
    }
    return line;
}

bool parsePictureSize(std::string_view text, int& width, int& height)
{
    const size_t x = text.find('x');
    if (x == std::string_view::npos)
        return false;
    const auto side = [](std::string_view digits, int& value) {
        return parseNumberText(digits, value) && value >= 1 && value <= kMaxToolPictureSide;
    };
    return side(text.substr(0, x), width) && side(text.substr(x + 1), height);
}

void printToolVersion(const char* tool) { std::printf("%s %s\n", tool, LUMORA_VERSION); }

int reportUsageError(const char* tool, const std::string& problem, void (*printUsage)(std::FILE* out))
{
    if (!problem.empty())
        std::fprintf(stderr, "%s: %s\n", tool, problem.c_str());
    printUsage(stderr);
    return 2;
}

int answerToolCommandLine(const ToolCommandLine& line, const char* tool, void (*printHelp)(),
                          void (*printUsage)(std::FILE* out), void (*printVersion)(const char* tool))
{
    switch (line.action) {
    case ToolCommandLine::Action::Help:
        printHelp();
        return 0;
    case ToolCommandLine::Action::Version:
        printVersion(tool);
        return 0;
    case ToolCommandLine::Action::Usage:
        return reportUsageError(tool, line.problem, printUsage);
    case ToolCommandLine::Action::Run:
        break;
    }
    return kToolRuns;
}
