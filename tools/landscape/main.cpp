// lumora-landscape: writes the default landscape into a folder.
#include "landscape.h"

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
    std::string folder;
    uint64_t seed = landscape::kDefaultSeed;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--version") {
            std::printf("%s\n", landscape::versionLine().c_str());
            return 0;
        }
        if (arg == "--seed") {
            if (i + 1 >= argc || !parseSeed(argv[i + 1], seed)) {
                std::fprintf(stderr, "lumora-landscape: --seed needs an unsigned integer\n");
                return 2;
            }
            ++i;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "lumora-landscape: unknown option %s\n", argv[i]);
            printUsage(stderr);
            return 2;
        } else if (folder.empty()) {
            folder = arg;
        } else {
            std::fprintf(stderr, "lumora-landscape: only one OUTDIR, please\n");
            printUsage(stderr);
            return 2;
        }
    }
    if (folder.empty()) {
        printUsage(stderr);
        return 2;
    }

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
