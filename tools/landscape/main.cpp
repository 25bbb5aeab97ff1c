// lumora-landscape: writes the default landscape into a folder.
#include "landscape.h"

#include "common/tool_options.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

void printUsage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: lumora-landscape OUTDIR [--seed N]\n"
                 "       lumora-landscape --help | --version\n");
}

void printHelp()
{
    printUsage(stdout);
    std::printf(
        "\n"
        "Writes the complete set of data files that the viewer reads from its working\n"
        "directory into OUTDIR (created if missing): the height map Tertest.raw, the\n"
        "terrain and detail pictures, the six sky-box faces, the flyer sprite busch2.tga,\n"
        "the palm and grass meshes (.vxm) with their textures, and landscape.version.\n"
        "Files already in OUTDIR are overwritten. The same seed always gives the same\n"
        "bytes; another seed gives another landscape.\n"
        "\n"
        "  --seed N    landscape seed, an unsigned integer (default %llu)\n"
        "  --version   print the generator version line and exit; landscape.version\n"
        "              holds the same line, so a folder made by an older generator\n"
        "              can be told apart\n"
        "  --help      print this text and exit\n",
        static_cast<unsigned long long>(landscape::kDefaultSeed));
}

bool parseSeed(std::string_view text, uint64_t& seed)
{
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, seed);
    return !text.empty() && error == std::errc() && last == end;
}

} // namespace

int main(int argc, char** argv)
{
    const ToolCommandLine line = parseToolCommandLine(argc, argv, {{"--seed", true}});
    switch (line.action) {
    case ToolCommandLine::Action::Help:
        printHelp();
        return 0;
    case ToolCommandLine::Action::Version:
        // The generator's own version, which landscape.version repeats.
        std::printf("%s\n", landscape::versionLine().c_str());
        return 0;
    case ToolCommandLine::Action::Usage:
        return reportUsageError("lumora-landscape", line.problem, printUsage);
    case ToolCommandLine::Action::Run:
        break;
    }
    uint64_t seed = landscape::kDefaultSeed;
    const std::string* seedText = line.value("--seed");
    if (seedText && !parseSeed(*seedText, seed)) {
        std::fprintf(stderr, "lumora-landscape: --seed needs an unsigned integer\n");
        return 2;
    }
    if (line.positional.size() != 1)
        return reportUsageError("lumora-landscape", line.positional.empty() ? "" : "only one OUTDIR, please",
                                printUsage);
    const std::string& folder = line.positional[0];

    try {
        const auto start = std::chrono::steady_clock::now();
        landscape::prepareLandscapeFolder(folder);
        const std::vector<landscape::LandscapeFile> files = landscape::buildLandscape(seed);
        size_t total = 0;
        for (const landscape::LandscapeFile& file : files) {
            landscape::writeLandscapeFile(folder, file);
            std::printf("  %-18s %9zu bytes\n", file.name.c_str(), file.bytes.size());
            total += file.bytes.size();
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %zu files, %zu bytes, seed %llu, %.2f s -> %s\n", landscape::versionLine().c_str(),
                    files.size(), total, static_cast<unsigned long long>(seed), seconds, folder.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lumora-landscape: %s\n", e.what());
        return 1;
    }
    return 0;
}
