#include "geodata_file.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_minixml.h>
#include <cpl_string.h>

#include <cstring>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string>

namespace landscape {

namespace {

namespace fs = std::filesystem;

// The drivers each kind of file may be opened with. None of them goes to the
// network by itself; a mosaic is checked before it is opened.
// Elevation formats, the pictures that served as height maps before, mosaics.
const char* const kElevationDrivers[] = {"GTiff",   "SRTMHGT", "AAIGrid", "HFA",  "EHdr",  "PNG",  "VRT",
                                         "USGSDEM", "BT",      "GSAG",    "GSBG", "GS7BG", "ENVI", "BMP",
                                         "JPEG",    "GIF",     "PNM",     "TGA",  nullptr};
// Orthophotos and satellite pictures (a cloud-optimised GeoTIFF is a GeoTIFF).
const char* const kImageryDrivers[] = {"GTiff", "JP2OpenJPEG", "JPEG", "PNG", "WEBP", "HFA", "VRT", nullptr};
// Tracks, routes and waypoints; KML through the driver that follows no links.
const char* const kTrackDrivers[] = {"GPX", "GeoJSON", "KML", nullptr};
// Registered besides the lists, never used to open a user's file: the
// in-memory datasets that pictures are warped into.
const char* const kInternalDrivers[] = {"MEM", nullptr};

constexpr int kMosaicDepth = 4; // mosaics of mosaics, at most this deep

const char* const* driversOf(GeodataKind kind)
{
    switch (kind) {
    case GeodataKind::Elevation:
        return kElevationDrivers;
    case GeodataKind::Imagery:
        return kImageryDrivers;
    case GeodataKind::Track:
        return kTrackDrivers;
    }
    return kElevationDrivers;
}

bool isRegistered(const char* name)
{
    for (const char* const* list : {kElevationDrivers, kImageryDrivers, kTrackDrivers, kInternalDrivers})
        if (CSLFindString(const_cast<char**>(list), name) >= 0)
            return true;
    return false;
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.size() >= std::strlen(prefix) && EQUALN(text.c_str(), prefix, std::strlen(prefix));
}

bool liesIn(const fs::path& file, const fs::path& folder)
{
    const fs::path relative = fs::weakly_canonical(file).lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

// A mosaic names itself in its first bytes, whatever its file is called.
bool isMosaic(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string head(1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return head.find("<VRTDataset") != std::string::npos;
}

std::string textOf(const CPLXMLNode* node)
{
    for (const CPLXMLNode* child = node->psChild; child != nullptr; child = child->psNext)
        if (child->eType == CXT_Text)
            return child->pszValue;
    return {};
}

void checkMosaic(const fs::path& mosaic, int depth);

// A source must be a plain file in the mosaic's own folder: no URL, no
// virtual or network path, no driver prefix ("NAME:..."), nothing above.
void checkSource(const fs::path& mosaic, const CPLXMLNode* node, int depth)
{
    const std::string name = textOf(node);
    const fs::path folder = fs::weakly_canonical(mosaic).parent_path();
    const bool relative = std::string(CPLGetXMLValue(node, "relativeToVRT", "0")) == "1";
    const fs::path source = relative ? mosaic.parent_path() / name : fs::absolute(name);
    if (name.empty() || startsWith(name, "/vsi") || name.find(':') != std::string::npos || !liesIn(source, folder))
        throw std::runtime_error("refused: the mosaic names \"" + name +
                                 "\", which is not a file in the mosaic's own folder");
    if (isMosaic(source)) {
        if (depth >= kMosaicDepth)
            throw std::runtime_error("refused: mosaics nested more than " + std::to_string(kMosaicDepth) + " deep");
        checkMosaic(source, depth + 1);
    }
}

void checkMosaicNodes(const fs::path& mosaic, const CPLXMLNode* node, int depth)
{
    for (; node != nullptr; node = node->psNext) {
        if (node->eType != CXT_Element)
            continue;
        if (EQUAL(node->pszValue, "SourceFilename") || EQUAL(node->pszValue, "SourceDataset"))
            checkSource(mosaic, node, depth);
        else
            checkMosaicNodes(mosaic, node->psChild, depth);
    }
}

// Checks every file a mosaic names before the library opens any of them.
void checkMosaic(const fs::path& mosaic, int depth)
{
    std::unique_ptr<CPLXMLNode, void (*)(CPLXMLNode*)> root(CPLParseXMLFile(mosaic.c_str()), CPLDestroyXMLNode);
    if (!root)
        throw std::runtime_error("is a mosaic (.vrt) whose text cannot be read");
    checkMosaicNodes(mosaic, root.get(), depth);
}

// Every file the opened dataset reads lies in the named file's folder; a
// zipped file counts by its archive.
void checkFileList(GDALDataset& dataset, const fs::path& file)
{
    const fs::path folder = fs::weakly_canonical(file).parent_path();
    char** files = dataset.GetFileList();
    std::string outside;
    for (char** name = files; name != nullptr && *name != nullptr && outside.empty(); ++name) {
        std::string path = *name;
        for (const char* archive : {"/vsizip/", "/vsigzip/"})
            if (startsWith(path, archive))
                path.erase(0, std::strlen(archive));
        if (startsWith(path, "/vsi") || path.find("://") != std::string::npos || !liesIn(path, folder))
            outside = *name;
    }
    CSLDestroy(files);
    if (!outside.empty())
        throw std::runtime_error("refused: it reads \"" + outside + "\", outside its own folder");
}

} // namespace

void setUpGeodataLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // The library's own messages would reach the user raw; each failure
        // is reported here in plain words instead.
        CPLSetErrorHandler(CPLQuietErrorHandler);
        // No directory listing beside the file: drivers look for the sidecar
        // files they need (.hdr, .ovr, .prj, world files) by name.
        CPLSetConfigOption("GDAL_DISABLE_READDIR_ON_OPEN", "TRUE");
        // A network path that slipped past the checks still finds no file
        // it may fetch, and no request is retried.
        CPLSetConfigOption("CPL_VSIL_CURL_ALLOWED_EXTENSIONS", ".lumora-no-network");
        CPLSetConfigOption("GDAL_HTTP_MAX_RETRY", "0");
        // Mosaics may not run code, and nothing is written beside the file.
        CPLSetConfigOption("GDAL_VRT_ENABLE_PYTHON", "NO");
        CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
        // The block cache otherwise takes a share of the machine's memory.
        CPLSetConfigOption("GDAL_CACHEMAX", "64");
        GDALAllRegister();
        // Only the allowed drivers stay, so a mosaic's sources are opened
        // with them too: no driver that fetches from a server is left.
        GDALDriverManager& drivers = *GetGDALDriverManager();
        for (int i = drivers.GetDriverCount() - 1; i >= 0; --i) {
            GDALDriver* driver = drivers.GetDriver(i);
            if (!isRegistered(driver->GetDescription())) {
                drivers.DeregisterDriver(driver);
                GDALDestroyDriver(driver);
            }
        }
    });
}

std::unique_ptr<GDALDataset> openGeodata(const fs::path& file, GeodataKind kind)
{
    setUpGeodataLibrary();
    std::error_code error;
    if (!fs::exists(file, error))
        throw std::runtime_error("cannot be found");
    if (fs::is_directory(file, error))
        throw std::runtime_error("is a folder, not a file");
    if (!std::ifstream(file, std::ios::binary))
        throw std::runtime_error("cannot be opened (no permission to read it?)");
    if (isMosaic(file))
        checkMosaic(file, 1);
    const unsigned type = kind == GeodataKind::Track ? GDAL_OF_VECTOR : GDAL_OF_RASTER;
    std::unique_ptr<GDALDataset> dataset(GDALDataset::FromHandle(
        GDALOpenEx(file.c_str(), type | GDAL_OF_READONLY, driversOf(kind), nullptr, nullptr)));
    const bool usable =
        dataset && (kind == GeodataKind::Track ? dataset->GetLayerCount() > 0 : dataset->GetRasterCount() > 0);
    if (!usable) {
        switch (kind) {
        case GeodataKind::Elevation:
            throw std::runtime_error("is not an elevation model or picture that can be read, or it is damaged");
        case GeodataKind::Imagery:
            throw std::runtime_error("is not a picture that can be read, or it is damaged");
        case GeodataKind::Track:
            throw std::runtime_error("is not a track (GPX, GeoJSON or KML) that can be read, or it is damaged");
        }
    }
    checkFileList(*dataset, file);
    return dataset;
}

} // namespace landscape
