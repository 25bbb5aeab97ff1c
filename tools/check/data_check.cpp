#include "check/data_check.h"

#include "assets/bmp_texture.h"
#include "assets/data_files.h"
#include "assets/dib_image.h"
#include "assets/geo_reference.h"
#include "assets/mesh_model.h"
#include "assets/tga_image.h"
#include "overlay/place_readout.h"
#include "terrain/height_map.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <system_error>

namespace {

// Picture names a mesh asks textures for, in order.
std::vector<std::string>* recordedNames = nullptr;

Report recordPictureName(GLuint*, const char* fileName, int)
{
    if (recordedNames)
        recordedNames->emplace_back(fileName);
    return {};
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

// What the viewer draws when a file of this failure kind cannot be read.
std::string whatFollows(DataFailure failure, const char* role)
{
    switch (failure) {
    case DataFailure::FlatGround:
        return std::string(role) + " stands on flat ground at height 0";
    case DataFailure::Untextured:
        return std::string(role) + " draws untextured";
    case DataFailure::EmptyModel:
        return std::string("the model is empty: ") + role;
    case DataFailure::ViewerEnds:
        return "the viewer ends at once with status 0, before its first frame";
    }
    return role;
}

CheckLine failed(DataFile file, const Report& report)
{
    const DataFileRow& row = dataFileRow(file);
    const DataFailure failure = failureAfter(file, report.failure);
    return failed(row.name, report.text, whatFollows(failure, row.role), failure == DataFailure::ViewerEnds);
}

CheckLine checkHeightMap()
{
    const char* name = dataFileName(DataFile::HeightMap);
    auto map = std::make_unique<HeightMap>();
    const Report report = loadHeightMap(name, kHeightMapBytes, *map);
    // A file that opens but cannot be read keeps the heights read before the error.
    if (report.failed() && std::ifstream(name, std::ios::binary).is_open())
        return failed(name, report.text, "the heights after the read error are 0");
    if (report.failed())
        return failed(DataFile::HeightMap, report);
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

CheckLine checkStartUpPicture(DataFile file)
{
    const char* name = dataFileName(file);
    const PictureLoad load = loadStartUpPicture(name);
    if (!load.image)
        return failed(file, load.report);
    return pictureLine(name, *load.image, sizeText(load.image->width, load.image->height), false);
}

// A picture that a mesh names: no probe, and a failure is the mesh's.
CheckLine checkMeshPicture(const std::string& name, DataFile mesh)
{
    PictureLoad load = loadDibImage(name.c_str());
    const std::string file = name + " (named by " + dataFileName(mesh) + ")";
    if (!load.image) {
        load.report.failure = Failure::NamedPicture;
        CheckLine line = failed(mesh, load.report);
        line.file = file;
        return line;
    }
    return pictureLine(file, *load.image, sizeText(load.image->width, load.image->height), false);
}

void checkMesh(DataFile file, std::vector<CheckLine>& lines, std::vector<std::string>& picturesSeen)
{
    const char* name = dataFileName(file);
    const MeshCheck mesh = checkMeshFile(name);
    const std::string what = dataFileRow(file).role;
    // Only the origin palm is one model drawn once; the others are many.
    const bool one = what.compare(0, 9, "the palm ") == 0;
    if (!mesh.message.empty() && mesh.subMeshes == 0) {
        lines.push_back(failed(name, mesh.message,
                               whatFollows(dataFileRow(file).failure, what.c_str()) +
                                   (one ? " is not drawn" : " are not drawn")));
        return;
    }
    const std::string counts = std::to_string(mesh.subMeshes) + " sub-meshes, " + std::to_string(mesh.triangles) +
                               " triangles, " + std::to_string(mesh.pictureNames.size()) + " pictures";
    if (!mesh.message.empty()) {
        lines.push_back(
            failed(name, mesh.message,
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
        lines.push_back(checkMeshPicture(picture, file));
    }
}

CheckLine checkFlyerSprite()
{
    const char* name = dataFileName(DataFile::FlyerSprite);
    const PictureLoad load = loadTga(name);
    if (!load.image)
        return failed(DataFile::FlyerSprite, load.report);
    const Image& image = *load.image;
    return pictureLine(name, image,
                       sizeText(image.width, image.height) + ", " + std::to_string(image.components) + " components",
                       true);
}

std::string degreesText(const LonLat& point)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.5f %c %.5f %c", std::fabs(point.latitude), point.latitude < 0 ? 'S' : 'N',
                  std::fabs(point.longitude), point.longitude < 0 ? 'W' : 'E');
    return text;
}

// The viewer reads it after start-up, for the readout of where you stand
// alone: a damaged one costs one line on standard error and the readout.
// Nothing when there is none: most places have no reference.
void checkGeoReference(std::vector<CheckLine>& lines)
{
    const GeoReferenceRead read = readGeoReference(kGeoReferenceFile);
    if (read.status == GeoReferenceStatus::Missing)
        return;
    if (read.status == GeoReferenceStatus::Damaged) {
        lines.push_back({kGeoReferenceFile, CheckVerdict::Error,
                         read.report.text + " -> one line on standard error, and the readout (F3) shows \"" +
                             kNoGeoReferenceText + "\"",
                         false});
        return;
    }
    const GeoReference& reference = read.reference;
    char step[32];
    std::snprintf(step, sizeof step, "%.4g m", reference.metresPerHeightStep);
    lines.push_back(ok(kGeoReferenceFile, "from " + degreesText(reference.corners[int(GeoCorner::NorthWest)]) +
                                              " to " + degreesText(reference.corners[int(GeoCorner::SouthEast)]) +
                                              ", a height step " + step));
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

    std::vector<std::string> picturesSeen;
    for (const DataFileRow& row : kDataFiles) {
        switch (row.reader) {
        case DataReader::HeightMap:
            lines.push_back(checkHeightMap());
            break;
        case DataReader::Bmp:
            lines.push_back(checkStartUpPicture(row.file));
            break;
        case DataReader::Mesh:
            checkMesh(row.file, lines, picturesSeen);
            break;
        case DataReader::Tga:
            lines.push_back(checkFlyerSprite());
            break;
        }
    }
    checkGeoReference(lines);

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
    const std::string name = file.string();
    const PictureLoad load = endsWithTga(file) ? loadTga(name.c_str()) : loadDibImage(name.c_str());
    result.message = load.report.text;
    if (!load.image)
        return result;
    const Image& image = *load.image;
    result.decoded = true;
    result.width = image.width;
    result.height = image.height;
    result.components = image.components;
    result.missingRows = image.missingRows;
    result.pixels = image.pixels;
    return result;
}

MeshCheck checkMeshFile(const std::filesystem::path& file)
{
    MeshCheck result;
    // Zero-filled, as a model that has not been loaded is.
    auto model = std::make_unique<MeshModel>();
    recordedNames = &result.pictureNames;
    const Report report = model->load(file.c_str(), recordPictureName);
    recordedNames = nullptr;
    result.message = report.text;

    const int names = static_cast<int>(result.pictureNames.size());
    result.subMeshes = std::clamp(model->subMeshCount, 0, kMaxSubMeshes);
    for (int i = 0; i < result.subMeshes; ++i) {
        const SubMesh& subMesh = model->subMeshes[i];
        result.vertices += std::clamp(subMesh.vertexCount, 0, kMaxSubMeshVertices);
        result.triangles += std::clamp(subMesh.triangleCount, 0, kMaxSubMeshTriangles);
        const int index = model->textureIndices[i];
        if (index >= names && index < kMaxMeshTextures)
            result.untexturedSubMeshes.push_back(i);
    }
    return result;
}
