#pragma once
// The command line every tool reads: positional arguments and --name options,
// some followed by a value, in any order; --help (-h) and --version for all.
// Each tool lists its options once, in a table of ToolOption rows: the parser
// reads the words by it, and --help prints its rows; the manual pages' test
// holds the pages to the same options. The parser only sorts the words; each
// tool checks the values it takes.

#include "formats/number_text.h"

#include <cstdio>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct ToolOption {
    const char* name;            // "--seed"
    bool takesValue;             // the next word is its value
    const char* value = nullptr; // in --help after the name ("N" in "--seed N"); null for none
    std::string help = {};       // its text in --help, lines apart by '\n'; empty: an option for the tool's own use
    int nested = 0;              // in --help, columns further in: an option that goes with the one above
};

struct ToolCommandLine {
    enum class Action { Run, Help, Version, Usage } action = Action::Run;
    std::vector<std::pair<std::string, std::string>> given; // options in order, value empty for flags
    std::vector<std::string> positional;
    std::string problem; // for Usage, in plain words

    bool has(std::string_view name) const;
    const std::string* value(std::string_view name) const; // the last one given, or null
};

// Rows named --help or --version only describe the options that every tool
// answers.
ToolCommandLine parseToolCommandLine(int argc, const char* const* argv, std::span<const ToolOption> options);
ToolCommandLine parseToolCommandLine(int argc, const char* const* argv, std::initializer_list<ToolOption> options);

// The table's rows in --help: each row's name and value from `indent`, its
// text from `column` (beside the name where the name leaves two spaces, else
// on the lines below), each further line of the text at `column` too.
struct HelpColumns {
    int indent;
    int column;
};
void printToolOptions(std::span<const ToolOption> options, HelpColumns columns);
// One row of that layout for what is not an option (a positional word).
void printHelpRow(const std::string& label, const std::string& text, int column);

// printf into a string, for help texts that name the tools' figures.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A picture's size, "WIDTHxHEIGHT" in pixels, each a whole number from 1 to
// kMaxToolPictureSide (the renderer may allow less). False for anything else.
constexpr int kMaxToolPictureSide = 1 << 20;
bool parsePictureSize(std::string_view text, int& width, int& height);

// The --terrain-error row's text, the same in every tool that draws (the
// value is read with parseTerrainError, app/command_line.h).
std::string terrainErrorHelp();

// "TOOL 0.1.0" on standard output.
void printToolVersion(const char* tool);

// Prints "TOOL: PROBLEM" (when there is one) and the usage on standard error;
// returns the exit status of a wrong command line, 2.
int reportUsageError(const char* tool, const std::string& problem, void (*printUsage)(std::FILE* out));

// What every tool does before its own work: --help, --version and a command
// line it cannot use are answered here. Returns the exit status, or
// kToolRuns when the tool goes on.
constexpr int kToolRuns = -1;
int answerToolCommandLine(const ToolCommandLine& line, const char* tool, void (*printHelp)(),
                          void (*printUsage)(std::FILE* out),
                          void (*printVersion)(const char* tool) = printToolVersion);
