#include "app/command_line.h"

#include "assets/landscape_facts.h"
#include "formats/number_text.h"

#include <cmath>
#include <cstring>

const char* const kViewerUsage =
    "usage: lumora [--windowed | --fullscreen | --fullscreen-desktop] [--render-scale F|auto] "
    "[--render-filter nearest|linear] [--terrain-error PX] [DIR | FILE]";

namespace {

// Where the value of an import option goes; null for any other argument.
const char** importChoice(ImportChoices& choices, const char* arg)
{
    if (std::strcmp(arg, kImageOption) == 0)
        return &choices.image;
    if (std::strcmp(arg, kTrackOption) == 0)
        return &choices.track;
    if (std::strcmp(arg, kPlantsOption) == 0)
        return &choices.plants;
    return nullptr;
}

CommandLine usage(CommandLine line, const char* problem)
{
    line.action = CommandAction::Usage;
    line.problem = problem;
    return line;
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    bool optionsEnded = false; // after "--", a path may start with a dash
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool isOption = !optionsEnded && arg[0] == '-' && arg[1] != '\0';
        StartMode mode = StartMode::Ask;
        if (isOption && std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        if (isOption && (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0))
            return {.action = CommandAction::Help};
        if (isOption && std::strcmp(arg, "--version") == 0)
            return {.action = CommandAction::Version};
        if (isOption && std::strcmp(arg, "--render-scale") == 0) {
            const char* value = i + 1 < argc ? argv[++i] : nullptr;
            if (!value || !parseRenderScale(value, line.renderScale)) {
                line.problemValue = value;
                line.problemRange = kRenderScaleRange;
                return usage(line, arg);
            }
            continue;
        }
        if (isOption && std::strcmp(arg, "--render-filter") == 0) {
            const char* value = i + 1 < argc ? argv[++i] : nullptr;
            if (!value || !parseStretchFilter(value, line.renderFilter)) {
                line.problemValue = value;
                line.problemRange = "nearest or linear";
                return usage(line, arg);
            }
            continue;
        }
        if (isOption && std::strcmp(arg, "--terrain-error") == 0) {
            const char* value = i + 1 < argc ? argv[++i] : nullptr;
            if (!value || !parseTerrainError(value, line.terrainError)) {
                line.problemValue = value;
                line.problemRange = kTerrainErrorRange;
                return usage(line, arg);
            }
            continue;
        }
        if (const char** choice = isOption ? importChoice(line.import, arg) : nullptr) {
            // Each once, with a value; plants are none or palms.
            if (*choice || i + 1 == argc)
                return usage(line, arg);
            const char* value = argv[++i];
            if (choice == &line.import.plants && !plantsNamed(value))
                return usage(line, value);
            *choice = value;
            continue;
        }
        if (isOption && std::strcmp(arg, "--windowed") == 0)
            mode = StartMode::Windowed;
        else if (isOption && std::strcmp(arg, "--fullscreen") == 0)
            mode = StartMode::FullScreen;
        else if (isOption && std::strcmp(arg, "--fullscreen-desktop") == 0)
            mode = StartMode::FullScreenDesktop;

        const bool unusable = isOption ? mode == StartMode::Ask || (line.mode != StartMode::Ask && line.mode != mode)
                                       : line.path != nullptr;
        if (unusable)
            return usage(line, arg);
        if (isOption)
            line.mode = mode;
        else
            line.path = arg;
    }
    // The import's options need a FILE to import.
    if (line.import.any() && !line.path)
        return usage(line, line.import.optionGiven());
    return line;
}

bool parseTerrainError(const char* text, float& pixels)
{
    float value = 0;
    if (!parseNumberText(text, value) || !(value > 0) || !std::isfinite(value))
        return false;
    pixels = value;
    return true;
}

void printViewerHelp(std::FILE* out)
{
    std::fprintf(out,
                 "%s\n"
                 "       lumora [--windowed | --fullscreen | --fullscreen-desktop] [--render-scale F|auto]\n"
                 "              [--render-filter nearest|linear] [--terrain-error PX] FILE\n"
                 "              [--image PICTURE] [--track TRACK] [--plants none|palms]\n"
                 "       lumora --help | --version\n"
                 "\n"
                 "Walks through the landscape whose data files are in DIR (default: the working\n"
                 "directory). Started without DIR in a folder that holds none of the data files,\n"
                 "it shows the default landscape that comes with it.\n"
                 "\n"
                 "Given a FILE that is not a folder, an elevation model such as a greyscale PNG\n"
                 "height map, it imports the file with lumora-landscape (package lumora-tools)\n"
                 "into a landscape folder under $XDG_CACHE_HOME/lumora (default ~/.cache/lumora)\n"
                 "and shows that. The next start with the same, unchanged files reuses it at once.\n"
                 "\n"
                 "  --windowed             run in an 800 x 600 window, without the start-up question\n"
                 "  --fullscreen           run full screen at 800 x 600 (the display switched to\n"
                 "                         it), without the start-up question\n"
                 "  --fullscreen-desktop   run full screen at the desktop's own size, without a\n"
                 "                         change of display mode or the start-up question\n"
                 "  --render-scale F|auto  draw the scene at F (0.25 to 1, default 1) times the\n"
                 "                         window's width and height and stretch it to the\n"
                 "                         window; the overlay stays sharp. auto picks the\n"
                 "                         largest scale that keeps about 60 frames a second,\n"
                 "                         and says on standard error where it settles\n"
                 "  --render-filter nearest|linear\n"
                 "                         how a scene below scale 1 is stretched to the window:\n"
                 "                         nearest repeats its pixels (the default, cheaper;\n"
                 "                         exact doubling at 0.5), linear blends them\n"
                 "  --terrain-error PX     on a landscape with a fine ground, the most its level\n"
                 "                         of detail may lie from the full detail, in pixels of\n"
                 "                         the picture drawn (above 0, default 2); smaller is\n"
                 "                         finer and dearer\n"
                 "  --image PICTURE        with FILE: the user's imagery (an orthophoto or\n"
                 "                         satellite picture) as the terrain picture, aligned by\n"
                 "                         its georeferencing\n"
                 "  --track TRACK          with FILE: a GPX, GeoJSON or KML track drawn on the\n"
                 "                         ground\n"
                 "  --plants none|palms    with FILE: without palms and grass, or with them (the\n"
                 "                         default)\n"
                 "  --help                 print this text and exit\n"
                 "  --version              print the version and exit\n"
                 "\n"
                 "Keys: W A S D or the arrows walk, the mouse looks, C crouches, the right button\n"
                 "zooms, Space and Enter switch wireframe and filled drawing, F3 shows and hides\n"
                 "where you stand (latitude, longitude, the ground's height in metres, heading),\n"
                 "F9 starts recording a walk and F9 again saves it (for lumora-render), F12 saves\n"
                 "the frame as a PNG, Escape quits.\n",
                 kViewerUsage);
}
