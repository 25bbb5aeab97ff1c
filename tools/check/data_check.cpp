#include "check/data_check.h"

#include "assets/bmp_texture.h"
#include "assets/data_files.h"
#include "assets/dib_image.h"
#include "assets/mesh_model.h"
#include "assets/tga_image.h"
#include "platform/platform.h"
#include "terrain/height_map.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

namespace {

// Message boxes the viewer's readers show while one file is read.
std::vector<std::string>* capturedMessages = nullptr;

platform::MessageBoxAnswer captureMessage(const char* text, const char*, platform::MessageBoxKind)
{
    if (capturedMessages)
        capturedMessages->emplace_back(text);
    return platform::MessageBoxAnswer::Ok;
}

// Collects the messages shown while it lives.
class MessageCapture {
public:
    MessageCapture()
    {
        capturedMessages = &messages;
        platform::setMessageBoxHook(captureMessage);
    }
    ~MessageCapture()
    {
        platform::setMessageBoxHook(nullptr);
        capturedMessages = nullptr;
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::vector<std::string> messages;
};

// Picture names a mesh asks textures for, in order.
std::vector<std::string>* recordedNames = nullptr;

LoadOutcome recordPictureName(GLuint*, const char* fileName, int)
{
    if (recordedNames)
        recordedNames->emplace_back(fileName);
    return LoadOutcome::Continue;
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string quoted(const std::string& message)
{
    std::string text(1, '"');
    text += trimmed(message);
    text += '"';
    return text;
}

std::string sizeText(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

bool endsWithTga(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".tga";
}

CheckLine ok(const std::string& file, const std::string& detail) { return {file, CheckVerdict::Ok, detail, false}; }

CheckLine failed(const std::string& file, const std::string& message, const std::string& consequence,
                 bool endsViewer = false)
{
    const std::string shown = message.empty() ? "no message" : quoted(message);
    return {file, CheckVerdict::Error, shown + " -> " + consequence, endsViewer};
}

// A picture is drawn at its full size even where its file stops short; the
// rows it does not hold are lost data, but no message says so.
CheckLine pictureLine(const std::string& file, const Image& image, const std::string& detail, bool tga)
{
    if (image.missingRows == 0)
        return ok(file, detail);
    return {file, CheckVerdict::Warning,
            "no message, but " + missingRowsText(image.missingRows, image.height) + " (" + detail + ") -> " +
                (tga ? "they repeat the last pixel the file holds" : "they are black"),
            false};
}

constexpr const char* kViewerEnds = "the viewer ends at once with status 0, before its first frame";

CheckLine checkHeightMap()
{
    const char* name = dataFileName(DataFile::HeightMap);
    auto map = std::make_unique<HeightMap>();
    MessageCapture capture;
    loadHeightMap(name, kHeightMapBytes, *map);
    if (!capture.messages.empty()) {
        const std::string& message = capture.messages.front();
        const bool missing = trimmed(message) == "Can't find the height map!";
        return failed(name, message,
                      missing ? "the whole scene stands on flat ground at height 0"
                              : "the heights after the read error are 0");
    }
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(name, error);
    if (!error && size < kHeightMapBytes) {
        return {name, CheckVerdict::Warning,
                "no message, but only " + std::to_string(size) + " of " + std::to_string(kHeightMapBytes) +
                    " bytes -> the rest of the ground is height 0",
                false};
    }
    if (!error && size > kHeightMapBytes)
        return ok(name, "bytes past " + std::to_string(kHeightMapBytes) + " are not read");
    return ok(name, "1024 x 1024 heights");
}

// A start-up picture: the texture builder probes the file before the reader
// sees it, so a missing file gets the builder's message, not the reader's.
CheckLine checkStartUpPicture(const char* name, const char* consequence)
{
    if (!pictureFileOpens(name))
        return failed(name, "Unable to load BMP File!", consequence);
    MessageCapture capture;
    const std::optional<Image> image = loadDibImage(name);
    if (!image)
        return failed(name, capture.messages.empty() ? "" : capture.messages.front(), consequence);
    return pictureLine(name, *image, sizeText(image->width, image->height), false);
}

// A picture that a mesh names: no probe, and a failure ends the viewer.
CheckLine checkMeshPicture(const std::string& name, const std::string& mesh)
{
    MessageCapture capture;
    const std::optional<Image> image = loadDibImage(name.c_str());
    const std::string file = name + " (named by " + mesh + ")";
    if (!image)
        return failed(file, capture.messages.empty() ? "" : capture.messages.front(), kViewerEnds, true);
    return pictureLine(file, *image, sizeText(image->width, image->height), false);
}

void checkMesh(const char* name, const char* drawn, std::vector<CheckLine>& lines,
               std::vector<std::string>& picturesSeen)
{
    const MeshCheck mesh = checkMeshFile(name);
    const std::string what = drawn;
    // Only the origin palm is one model drawn once; the others are many.
    const bool one = what.compare(0, 9, "the palm ") == 0;
    if (!mesh.opened) {
        lines.push_back(failed(name, meshMessage(name, mesh),
                               "the model is empty: " + what + (one ? " is not drawn" : " are not drawn")));
        return;
    }
    const std::string counts = std::to_string(mesh.subMeshes) + " sub-meshes, " + std::to_string(mesh.triangles) +
                               " triangles, " + std::to_string(mesh.pictureNames.size()) + " pictures";
    if (!mesh.problem.empty()) {
        lines.push_back(
            failed(name, meshMessage(name, mesh),
                   what + (one ? " keeps" : " keep") + " only what was read before the problem (" + counts + ")"));
    } else if (!mesh.untexturedSubMeshes.empty()) {
        std::string list;
        for (int subMesh : mesh.untexturedSubMeshes)
            list += (list.empty() ? "" : ", ") + std::to_string(subMesh);
        lines.push_back({name, CheckVerdict::Warning,
                         "no message, but sub-mesh " + list + " names no picture of the " +
                             std::to_string(mesh.pictureNames.size()) + " -> drawn untextured, in white",
                         false});
    } else {
        lines.push_back(ok(name, counts));
    }
    for (const std::string& picture : mesh.pictureNames) {
        if (std::find(picturesSeen.begin(), picturesSeen.end(), picture) != picturesSeen.end())
            continue;
        picturesSeen.push_back(picture);
        lines.push_back(checkMeshPicture(picture, name));
    }
}

CheckLine checkFlyerSprite()
{
    const char* name = dataFileName(DataFile::FlyerSprite);
    MessageCapture capture;
    const std::optional<Image> image = loadTga(name);
    if (!image)
        return failed(name, capture.messages.empty() ? "" : capture.messages.front(), kViewerEnds, true);
    return pictureLine(
        name, *image,
        sizeText(image->width, image->height) + ", " + std::to_string(image->components) + " components", true);
}

// Restores the working directory however the check ends.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& folder) : previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~WorkingDirectory()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path previous;
};

} // namespace

std::string missingRowsText(int missingRows, int height)
{
    return std::to_string(missingRows) + " of " + std::to_string(height) + (height == 1 ? " row" : " rows") +
           (missingRows == 1 ? " is" : " are") + " missing from the file";
}

bool FolderCheck::allOk() const
{
    return std::all_of(lines.begin(), lines.end(), [](const CheckLine& l) { return l.verdict == CheckVerdict::Ok; });
}

FolderCheck checkDataFolder(const std::filesystem::path& folder)
{
    const WorkingDirectory inFolder(folder);
    FolderCheck check;
    std::vector<CheckLine>& lines = check.lines;

    // What the picture is missing from, for the start-up pictures, and what
    // is drawn from the mesh, for the meshes; in the viewer's table order.
    static const char* const consequences[kDataFileCount] = {
        nullptr,
        "the terrain draws without its base picture",
        "the terrain draws without its detail picture",
        "the back face of the sky box draws untextured, in white",
        "the front face of the sky box draws untextured, in white",
        "the bottom face of the sky box draws untextured, in white",
        "the top face of the sky box draws untextured, in white",
        "the left face of the sky box draws untextured, in white",
        "the right face of the sky box draws untextured, in white",
        "the grass tufts",
        "the palms of the first kind",
        "the palms of the second kind",
        "the palms of the third kind",
        nullptr,
        "the palm at the world origin",
    };
    std::vector<std::string> picturesSeen;
    for (const DataFileRow& row : kDataFiles) {
        const char* consequence = consequences[static_cast<int>(row.file)];
        switch (row.reader) {
        case DataReader::HeightMap:
            lines.push_back(checkHeightMap());
            break;
        case DataReader::Bmp:
            lines.push_back(checkStartUpPicture(row.name, consequence));
            break;
        case DataReader::Mesh:
            checkMesh(row.name, consequence, lines, picturesSeen);
            break;
        case DataReader::Tga:
            lines.push_back(checkFlyerSprite());
            break;
        }
    }

    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].verdict == CheckVerdict::Error && lines[i].detail.rfind("no message", 0) != 0)
            ++check.messageCount;
        if (lines[i].endsViewer && check.firstFatal < 0)
            check.firstFatal = static_cast<int>(i);
    }
    return check;
}

std::string formatCheckLine(const CheckLine& line)
{
    switch (line.verdict) {
    case CheckVerdict::Ok:
        return line.file + ": OK (" + line.detail + ")";
    case CheckVerdict::Warning:
        return line.file + ": WARNING " + line.detail;
    case CheckVerdict::Error:
        return line.file + ": ERROR " + line.detail;
    }
    return line.file;
}

std::string formatCheckSummary(const FolderCheck& check)
{
    if (check.firstFatal >= 0) {
        const std::string& file = check.lines[static_cast<size_t>(check.firstFatal)].file;
        return "the viewer would end before its first frame, at " + file.substr(0, file.find(' '));
    }
    if (check.messageCount > 0)
        return "the viewer would start after " + std::to_string(check.messageCount) + " message(s)";
    if (!check.allOk())
        return "the viewer would start without any message, but loses data (see WARNING)";
    return "the viewer would start without any message";
}

ImageCheck checkImageFile(const std::filesystem::path& file)
{
    ImageCheck result;
    MessageCapture capture;
    const std::string name = file.string();
    const std::optional<Image> image = endsWithTga(file) ? loadTga(name.c_str()) : loadDibImage(name.c_str());
    if (!capture.messages.empty())
        result.message = capture.messages.front();
    if (!image)
        return result;
    result.decoded = true;
    result.width = image->width;
    result.height = image->height;
    result.components = image->components;
    result.missingRows = image->missingRows;
    result.pixels = image->pixels;
    return result;
}

MeshCheck checkMeshFile(const std::filesystem::path& file)
{
    MeshCheck result;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return result;
    result.opened = true;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    // Zero-filled, as a model that has not been loaded is.
    auto model = std::make_unique<MeshModel>();
    std::vector<std::string> names;
    recordedNames = &names;
    const char* problem = parseMesh(text.data(), text.size(), *model, recordPictureName);
    recordedNames = nullptr;
    if (problem)
        result.problem = problem;

    result.pictureNames = names;
    result.subMeshes = std::clamp(model->subMeshCount, 0, kMaxSubMeshes);
    for (int i = 0; i < result.subMeshes; ++i) {
        const SubMesh& subMesh = model->subMeshes[i];
        result.vertices += std::clamp(subMesh.vertexCount, 0, kMaxSubMeshVertices);
        result.triangles += std::clamp(subMesh.triangleCount, 0, kMaxSubMeshTriangles);
        const int index = model->textureIndices[i];
        if (index >= static_cast<int>(names.size()) && index < kMaxMeshTextures)
            result.untexturedSubMeshes.push_back(i);
    }
    return result;
}

std::string meshMessage(const std::string& fileName, const MeshCheck& mesh)
{
    char text[kMeshMessageBytes];
    if (!mesh.opened)
        formatMeshMessage("open", fileName.c_str(), nullptr, text);
    else
        formatMeshMessage("read", fileName.c_str(), mesh.problem.c_str(), text);
    return text;
}
