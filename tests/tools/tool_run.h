#pragma once
// Running the tools as a user does, and the folders they work on.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct ToolRun {
    int status = -1;    // exit status, -1 when the tool did not end normally
    std::string output; // standard output
    std::vector<std::string> lines;
};

// Runs a command line through the shell; the tools' own leak reports are off
// (the window system's libraries leave what can no longer be named).
ToolRun runTool(const std::string& commandLine);

// Single-quoted for the shell.
std::string quotedArgument(const std::string& text);

// The generated landscape, read-only; made on first use when no fixture did.
const std::filesystem::path& generatedSet();

// A fresh copy of the generated set in a folder of its own.
std::filesystem::path copyOfGeneratedSet(const std::string& caseName);

// Cuts a file to its first `bytes` bytes.
void truncateFile(const std::filesystem::path& file, uintmax_t bytes);

// A PNG read back with stb_image, converted to `channels` per pixel, top row first.
struct PngPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};
PngPicture readPng(const std::filesystem::path& file, int channels);

// True when the test process can reach a display for the tools' windows.
bool hasDisplay();
