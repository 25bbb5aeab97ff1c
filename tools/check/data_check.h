#pragma once
// The data checker: reads a data folder the way the viewer's start-up would,
// with the viewer's own readers, and says for each file what the viewer
// would show and what would follow. Nothing is drawn and no window is opened;
// mesh pictures are decoded, not made into textures.
//
// Files are checked in start-up order: the height map, the eight start-up
// pictures, the grass and palm meshes with the pictures they name, the flyer
// sprite, the origin palm with its pictures; then the geographic reference
// (landscape.geo.json), which the viewer reads after start-up, when there is
// one. A picture named by several meshes is checked once.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

enum class CheckVerdict : uint8_t {
    Ok,
    Warning, // the viewer shows nothing, but loses part of the data
    Error,   // the viewer shows a message, or ends
};

struct CheckLine {
    std::string file; // as the viewer names it
    CheckVerdict verdict;
    std::string detail; // sizes or counts when OK; otherwise the message and what follows
    bool endsViewer;    // the viewer ends the process at this file
};

struct FolderCheck {
    std::vector<CheckLine> lines;
    int messageCount = 0; // message boxes the viewer would show
    int firstFatal = -1;  // index of the line where the viewer ends, or -1
    bool allOk() const;
    // What the exit status follows: warnings lose data, but show nothing.
    bool startsWithoutMessage() const { return messageCount == 0 && firstFatal < 0; }
};

// Checks the folder; the working directory is the folder while it runs, so
// that file names in messages read as the viewer writes them.
FolderCheck checkDataFolder(const std::filesystem::path& folder);

// "file: OK (detail)" or "file: ERROR "message" -> consequence", one line.
std::string formatCheckLine(const CheckLine& line);
// The closing line: whether the viewer would start, and with how many messages.
std::string formatCheckSummary(const FolderCheck& check);

// One picture with the viewer's reader, chosen by the name (".tga", any case:
// the TGA reader; anything else: the BMP reader). When it decodes, `pixels`
// holds its rows bottom row first, as the viewer's textures take them.
struct ImageCheck {
    bool decoded = false;
    std::string message; // the reader's message, or empty
    int width = 0, height = 0, components = 0;
    int missingRows = 0; // rows the file does not hold, filled as the reader fills them
    std::vector<uint8_t> pixels;
};
ImageCheck checkImageFile(const std::filesystem::path& file);

// "N of H rows are missing from the file".
std::string missingRowsText(int missingRows, int height);

// One mesh file with the viewer's reader: counts and picture names of what
// was read, and the viewer's message when it was not read whole.
struct MeshCheck {
    std::string message; // empty when the whole file was read
    int subMeshes = 0, vertices = 0, triangles = 0;
    std::vector<std::string> pictureNames;
    std::vector<int> untexturedSubMeshes; // texture index names no picture: drawn untextured
};
MeshCheck checkMeshFile(const std::filesystem::path& file);
