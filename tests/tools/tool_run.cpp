#include "tool_run.h"

#include <stb_image.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

ToolRun runTool(const std::string& commandLine)
{
    ToolRun run;
    const std::string command = "ASAN_OPTIONS=detect_leaks=0 " + commandLine;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    size_t start = 0;
    while (start < run.output.size()) {
        const size_t end = std::min(run.output.find('\n', start), run.output.size());
        run.lines.push_back(run.output.substr(start, end - start));
        start = end + 1;
    }
    return run;
}

std::string quotedArgument(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

const std::filesystem::path& generatedSet()
{
    static const std::filesystem::path folder = [] {
        const std::filesystem::path path = TOOLS_TEST_DATA;
        if (!std::filesystem::exists(path / "landscape.version")) {
            const ToolRun made = runTool(quotedArgument(LUMORA_LANDSCAPE) + " " + quotedArgument(path.string()));
            EXPECT_EQ(made.status, 0) << "the landscape generator failed";
        }
        return path;
    }();
    return folder;
}

std::filesystem::path copyOfGeneratedSet(const std::string& caseName)
{
    const std::filesystem::path folder =
        std::filesystem::path(TOOLS_TEST_SCRATCH) / (caseName + "." + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy(generatedSet(), folder, std::filesystem::copy_options::recursive);
    return folder;
}

void truncateFile(const std::filesystem::path& file, uintmax_t bytes) { std::filesystem::resize_file(file, bytes); }

PngPicture readPng(const std::filesystem::path& file, int channels)
{
    PngPicture picture;
    int stored = 0;
    uint8_t* pixels = stbi_load(file.c_str(), &picture.width, &picture.height, &stored, channels);
    if (!pixels)
        return picture;
    picture.pixels.assign(pixels, pixels + static_cast<size_t>(picture.width) * picture.height * channels);
    stbi_image_free(pixels);
    return picture;
}

bool hasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}
