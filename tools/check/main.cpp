// lumora-check: checks a data folder, one picture or one mesh with the
// viewer's own readers.
#include "app/data_folder.h"
#include "check/data_check.h"
#include "common/tool_options.h"
#include "surface/png_file.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: lumora-check DIR\n"
                      "       lumora-check --image FILE [--png OUT]\n"
                      "       lumora-check --mesh FILE\n"
                      "       lumora-check --help | --version\n");
}

// Every option, in the order --help lists them.
const std::vector<ToolOption>& options()
{
    static const std::vector<ToolOption> table = {
        {"--image", true, "FILE",
         "decodes one BMP or TGA (by its extension) as the viewer does and\n"
         "prints its size, or the reader's message"},
        {"--png", true, "OUT", "also writes the decoded picture as a PNG, top row first", 2},
        {"--mesh", true, "FILE",
         "reads one .vxm file and prints its counts and picture names, or its\n"
         "problem"},
    };
    return table;
}

void printHelp()
{
    constexpr HelpColumns kColumns = {.indent = 0, .column = 15};
    printUsage(stdout);
    std::printf("\n");
    printHelpRow("DIR",
                 "checks every file the viewer reads at start-up from DIR, and every\n"
                 "picture its meshes name, with the viewer's own readers. One line per\n"
                 "file: OK, WARNING (no message, but data is lost) or ERROR with the\n"
                 "message the viewer would show and what would follow; then a summary.\n"
                 "The geographic reference landscape.geo.json, where there is one, is\n"
                 "checked as well: a damaged one loses the readout of where you stand.",
                 kColumns.column);
    printToolOptions(options(), kColumns);
    std::printf("\n"
                "Exit status: 0 when the viewer would start without any message (WARNING lines\n"
                "included), 1 otherwise, 2 for a wrong command line.\n");
}

int checkFolder(const char* folder)
{
    if (const char* failure = enterFolder(folder)) {
        std::fprintf(stderr, "lumora-check: cannot check %s: %s\n", folder, failure);
        return 1;
    }
    const FolderCheck check = checkDataFolder(".");
    for (const CheckLine& line : check.lines)
        std::printf("%s\n", formatCheckLine(line).c_str());
    std::printf("%s\n", formatCheckSummary(check).c_str());
    return check.startsWithoutMessage() ? 0 : 1;
}

int checkImage(const char* file, const char* png)
{
    const ImageCheck image = checkImageFile(file);
    if (!image.decoded) {
        const std::string message =
            image.message.empty() ? "the reader refuses it without a message" : "\"" + image.message + "\"";
        std::printf("%s: ERROR %s\n", file, message.c_str());
        return 1;
    }
    if (image.missingRows > 0)
        std::printf("%s: WARNING %s (%d x %d, %d components)\n", file,
                    missingRowsText(image.missingRows, image.height).c_str(), image.width, image.height,
                    image.components);
    else
        std::printf("%s: OK (%d x %d, %d components)\n", file, image.width, image.height, image.components);
    if (png && !writePngBottomRowFirst(png, image.width, image.height, image.components, image.pixels.data())) {
        std::fprintf(stderr, "lumora-check: cannot write %s\n", png);
        return 1;
    }
    return 0;
}

int checkMesh(const char* file)
{
    const MeshCheck mesh = checkMeshFile(file);
    if (!mesh.message.empty()) {
        std::printf("%s: ERROR \"%s\"\n", file, mesh.message.c_str());
        return 1;
    }
    std::printf("%s: OK (%d sub-meshes, %d vertices, %d triangles, %zu pictures)\n", file, mesh.subMeshes,
                mesh.vertices, mesh.triangles, mesh.pictureNames.size());
    for (const std::string& name : mesh.pictureNames)
        std::printf("  picture %s\n", name.c_str());
    for (int subMesh : mesh.untexturedSubMeshes)
        std::printf("  sub-mesh %d names no picture: drawn untextured, in white\n", subMesh);
    return mesh.untexturedSubMeshes.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const ToolCommandLine line = parseToolCommandLine(argc, argv, options());
    if (const int status = answerToolCommandLine(line, "lumora-check", printHelp, printUsage); status != kToolRuns)
        return status;
    const std::string* image = line.value("--image");
    const std::string* png = line.value("--png");
    const std::string* mesh = line.value("--mesh");
    if (line.given.size() > 2 || (png && !image))
        return reportUsageError("lumora-check", "", printUsage);
    if (image && !mesh && line.positional.empty())
        return checkImage(image->c_str(), png ? png->c_str() : nullptr);
    if (mesh && line.given.size() == 1 && line.positional.empty())
        return checkMesh(mesh->c_str());
    if (line.given.empty() && line.positional.size() == 1)
        return checkFolder(line.positional[0].c_str());
    return reportUsageError("lumora-check", line.positional.size() > 1 ? "only one DIR, please" : "", printUsage);
}
