#include "common/tool_options.h"

#include "terrain/ground_layout.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdarg>

namespace {

bool isAnswered(std::string_view name) { return name == "--help" || name == "--version"; }

// The word behind a stand-in (see below), or the word itself.
constexpr std::string_view kStandIn = "--=";

std::string original(const std::string& word, const char* const* argv)
{
    return word.starts_with(kStandIn) ? std::string(argv[std::stoi(word.substr(kStandIn.size()))]) : word;
}

} // namespace

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
    return parseToolCommandLine(argc, argv, std::span<const ToolOption>(options.begin(), options.size()));
}

ToolCommandLine parseToolCommandLine(int argc, const char* const* argv, std::span<const ToolOption> options)
{
    CLI::App app;
    app.set_help_flag(); // --help and --version are answered below, in their turn among the words
    app.allow_extras();  // words that are no option are kept, in order, and told here
    std::vector<std::pair<const CLI::Option*, const ToolOption*>> rows;
    for (const ToolOption& option : options) {
        if (isAnswered(option.name))
            continue;
        CLI::Option* read = option.takesValue ? app.add_option(option.name) : app.add_flag(option.name);
        read->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        rows.emplace_back(read, &option);
    }
    CLI::Option* words = app.add_option("words")->expected(0, argc)->allow_extra_args();

    // An option is its exact name, a value the word after it, whatever it
    // looks like. CLI11 also reads --name=value, "--" before names, -5 as a
    // name and -hx as -h -x; so every other word that begins with '-' reaches
    // it under a stand-in that names no option, "--=" and the word's index:
    // after an option that takes a value it is that value, elsewhere an
    // option that does not exist.
    std::vector<std::string> reversed; // CLI11 takes the words last first
    for (int i = argc - 1; i >= 1; --i) {
        const std::string_view word = argv[i];
        const bool named =
            std::any_of(rows.begin(), rows.end(), [&](const auto& row) { return word == row.second->name; });
        reversed.emplace_back(word.size() >= 2 && word[0] == '-' && !named ? std::string(kStandIn) + std::to_string(i)
                                                                           : std::string(word));
    }
    ToolCommandLine line;
    bool valueMissing = false;
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError&) {
        valueMissing = true; // the last word is an option that takes a value
    }
    // The first word that names none of the table's options decides:
    // --help, -h and --version are answered there, anything else refused.
    if (const std::vector<std::string> extras = app.remaining(); !extras.empty()) {
        const std::string first = original(extras.front(), argv);
        if (first == "--help" || first == "-h")
            return {ToolCommandLine::Action::Help, {}, {}, {}};
        if (first == "--version")
            return {ToolCommandLine::Action::Version, {}, {}, {}};
        return {ToolCommandLine::Action::Usage, {}, {}, "there is no option " + first};
    }
    if (valueMissing)
        return {ToolCommandLine::Action::Usage, {}, {}, std::string(argv[argc - 1]) + " needs a value"};

    std::vector<size_t> taken(rows.size(), 0); // each option's results read so far, in the order given
    for (const CLI::Option* read : app.parse_order()) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const auto& each) { return each.first == read; });
        if (row == rows.end())
            continue;
        const size_t index = taken[static_cast<size_t>(row - rows.begin())]++;
        line.given.emplace_back(row->second->name,
                                row->second->takesValue ? original(read->results()[index], argv) : std::string());
    }
    for (const std::string& word : words->results())
        line.positional.push_back(original(word, argv));
    return line;
}

void printHelpRow(const std::string& label, const std::string& text, int column)
{
    const size_t at = static_cast<size_t>(column);
    std::string out = label;
    size_t start = 0;
    for (bool first = true; start <= text.size(); first = false) {
        const size_t end = std::min(text.find('\n', start), text.size());
        if (!first || out.size() + 2 > at)
            out += first ? "\n" + std::string(at, ' ') : std::string(at, ' ');
        else
            out.append(at - out.size(), ' ');
        out.append(text, start, end - start).push_back('\n');
        start = end + 1;
    }
    std::fputs(out.c_str(), stdout);
}

void printToolOptions(std::span<const ToolOption> options, HelpColumns columns)
{
    for (const ToolOption& option : options) {
        if (option.help.empty())
            continue;
        std::string label(static_cast<size_t>(columns.indent + option.nested), ' ');
        label += option.name;
        if (option.value)
            label += std::string(" ") + option.value;
        printHelpRow(label, option.help, columns.column);
    }
}

std::string formatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(static_cast<size_t>(std::max(size, 0)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    text.pop_back();
    return text;
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

std::string terrainErrorHelp()
{
    return formatText("on a landscape with a fine ground, the most its level of detail\n"
                      "may lie from the full detail, in pixels of the picture drawn\n"
                      "(above 0, default %g); smaller is finer and dearer",
                      static_cast<double>(kDefaultTerrainError));
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
