#include "geodata_file.h"

#include "assets/json_document.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_http.h>
#include <cpl_minixml.h>
#include <cpl_string.h>
#include <ogr_spatialref.h>
#include <ogr_srs_api.h>
#include <ogrsf_frmts.h>


#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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
// in-memory datasets that pictures are warped into, and the writer of the
// cloud-optimised pictures the generator makes.
const char* const kInternalDrivers[] = {"MEM", "COG", nullptr};

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

// The folder a file lies in as it is named: a link is judged by where it
// points, so the link's own folder is the one that counts.
fs::path folderOf(const fs::path& file)
{
    std::error_code error;
    const fs::path folder = fs::canonical(fs::absolute(file).parent_path(), error);
    if (error)
        throw std::runtime_error("cannot be found");
    return folder;
}

// Whether the file, every link on its way followed, lies in the folder.
bool liesIn(const fs::path& file, const fs::path& folder)
{
    std::error_code error;
    const fs::path relative = fs::weakly_canonical(file, error).lexically_relative(folder);
    return !error && !relative.empty() && *relative.begin() != "..";
}

// The beginning of a text that names a grid, an init file or another file,
// or a network address, where a coordinate system may hold one (PROJ
// strings, WKT, PROJJSON); empty when it names none. Blanks do not hide a
// key, since PROJ drops them around "=".
std::string namedFileIn(const std::string& text)
{
    std::string plain;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            plain += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* word : {"nadgrids=", "geoidgrids=", "grids=", "init=", "file=", "model=", "catalog=",
                             "parameterfile[", "parameter_file", "proj4_grids", "://"})
        if (plain.find(word) != std::string::npos)
            return word;
    return {};
}

void checkSystemText(const std::string& text, const std::string& system)
{
    if (const std::string word = namedFileIn(text); !word.empty())
        throw std::runtime_error("refused: " + system + " names a file or a network address (" + word + ")");
}

// Refuses the file unless it is a regular file in its own folder, read at
// once: a link must point into the folder, and a pipe or a device is never
// opened, so nothing can make the import wait or read elsewhere.
void checkPlainFile(const fs::path& file, const fs::path& folder)
{
    struct stat status {};
    if (lstat(file.c_str(), &status) != 0)
        throw std::runtime_error("cannot be found");
    if (S_ISLNK(status.st_mode) && !liesIn(file, folder))
        throw std::runtime_error("refused: it is a link to \"" + fs::weakly_canonical(file).string() +
                                 "\", outside its own folder");
    if (stat(file.c_str(), &status) != 0)
        throw std::runtime_error("cannot be found");
    if (S_ISDIR(status.st_mode))
        throw std::runtime_error("is a folder, not a file");
    if (!S_ISREG(status.st_mode))
        throw std::runtime_error("refused: it is not a regular file (a pipe, device or socket)");
    if (access(file.c_str(), R_OK) != 0)
        throw std::runtime_error("cannot be opened (no permission to read it?)");
}

// The first bytes of a file, at most count.
std::string headOf(const fs::path& file, size_t count)
{
    std::ifstream in(file, std::ios::binary);
    std::string head(count, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return head;
}

// Sidecar files that hold a coordinate system as text, and the most of one read.
const char* const kSystemSidecars[] = {".prj", ".hdr", nullptr};
constexpr size_t kSidecarMostBytes = size_t(1) << 20;

// The files beside one that a driver may open with it (its overviews, world
// file, .prj, header, masks: every name that starts with its own up to the
// first dot and goes on with a dot or an underscore) must be as plain as the
// file itself, and a coordinate system they hold may name no other file.
void checkSidecars(const fs::path& file, const fs::path& folder)
{
    const std::string name = file.filename().string();
    const std::string stem = name.substr(0, name.find('.'));
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::absolute(file).parent_path(), error)) {
        const std::string beside = entry.path().filename().string();
        if (beside == name || beside.compare(0, stem.size(), stem) != 0 ||
            (beside.size() > stem.size() && beside[stem.size()] != '.' && beside[stem.size()] != '_'))
            continue;
        struct stat status {};
        if (lstat(entry.path().c_str(), &status) != 0)
            continue;
        if (S_ISLNK(status.st_mode) && !liesIn(entry.path(), folder))
            throw std::runtime_error("refused: \"" + beside + "\" beside it is a link to \"" +
                                     fs::weakly_canonical(entry.path()).string() + "\", outside its folder");
        if (stat(entry.path().c_str(), &status) != 0 || S_ISDIR(status.st_mode))
            continue;
        if (!S_ISREG(status.st_mode))
            throw std::runtime_error("refused: \"" + beside +
                                     "\" beside it is not a regular file (a pipe, device or socket)");
        const std::string extension = entry.path().extension().string();
        if (CSLFindString(const_cast<char**>(kSystemSidecars), extension.c_str()) >= 0)
            checkSystemText(headOf(entry.path(), kSidecarMostBytes),
                            "the coordinate system in \"" + beside + "\" beside it");
    }
}

// A mosaic names itself in its first bytes, whatever its file is called.
bool isMosaic(const fs::path& file) { return headOf(file, 1024).find("<VRTDataset") != std::string::npos; }

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
    const fs::path folder = folderOf(mosaic);
    const bool relative = std::string(CPLGetXMLValue(node, "relativeToVRT", "0")) == "1";
    const fs::path source = relative ? mosaic.parent_path() / name : fs::absolute(name);
    if (name.empty() || startsWith(name, "/vsi") || name.find(':') != std::string::npos || !liesIn(source, folder))
        throw std::runtime_error("refused: the mosaic names \"" + name +
                                 "\", which is not a file in the mosaic's own folder");
    try {
        checkPlainFile(source, folder);
        checkSidecars(source, folder);
    } catch (const std::runtime_error& e) {
        const std::string reason = e.what();
        const std::string refused = "refused: ";
        throw std::runtime_error(reason.rfind(refused, 0) == 0
                                     ? refused + "the mosaic's tile \"" + name + "\": " + reason.substr(refused.size())
                                     : "the mosaic's tile \"" + name + "\" " + reason);
    }
    if (isMosaic(source)) {
        if (depth >= kMosaicDepth)
            throw std::runtime_error("refused: mosaics nested more than " + std::to_string(kMosaicDepth) + " deep");
        checkMosaic(source, depth + 1);
    }
}

void checkMosaicNodes(const fs::path& mosaic, const CPLXMLNode* node, int depth)
{
    // Every text besides the sources' names may be a coordinate system
    // (<SRS>, a GCP list's or a warp's), and is checked as one.
    for (; node != nullptr; node = node->psNext) {
        if (node->eType == CXT_Text)
            checkSystemText(node->pszValue, "the mosaic's coordinate system");
        else if (node->eType == CXT_Element &&
                 (EQUAL(node->pszValue, "SourceFilename") || EQUAL(node->pszValue, "SourceDataset")))
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
void checkFileList(GDALDataset& dataset, const fs::path& folder)
{
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


// A GeoJSON "crs" is read as the file is opened, wherever it stands (the
// collection's, a feature's or a geometry's): one of type link or url is
// fetched, and a name may be a PROJ string or WKT that reads a grid or an
// init file. So the text is read first, and only a crs of type name, EPSG
// or OGC whose every string is a plain identifier (EPSG:4326,
// urn:ogc:def:crs:EPSG::25832) is let through. Names are matched as the
// reader matches them, in any case.
class CrsScan : public JsonEvents {
public:
    std::string refusal; // empty while every crs seen is plain

    bool scalar() override { return value(); }
    bool text(const std::string& string) override
    {
        if (inCrs()) {
            if (depth_ == crsDepth_ && EQUAL(key_.c_str(), "type"))
                type_ = string;
            else if (!isPlainIdentifier(string) && odd_.empty())
                odd_ = string;
        }
        return value();
    }
    bool open() override
    {
        ++depth_;
        if (crsNext_) {
            crsDepth_ = depth_;
            type_.clear();
            odd_.clear();
        }
        crsNext_ = false;
        return true;
    }
    bool close() override
    {
        if (depth_ == crsDepth_) {
            crsDepth_ = 0;
            const char* type = type_.c_str();
            if (!EQUAL(type, "name") && !EQUAL(type, "EPSG") && !EQUAL(type, "OGC"))
                return refuse("its crs is of type \"" + type_ +
                              "\", which points to a file or a network address; only a named coordinate system "
                              "(such as EPSG:4326) is taken");
            if (!odd_.empty())
                return refuse("its crs names \"" + odd_ + "\", which is not a plain identifier such as EPSG:4326");
        }
        --depth_;
        return true;
    }
    bool key(const std::string& name) override
    {
        key_ = name;
        if (!inCrs() && EQUAL(name.c_str(), "crs"))
            crsNext_ = true;
        return true;
    }

private:
    static bool isPlainIdentifier(const std::string& text)
    {
        return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '.' || c == '_' || c == '-';
        });
    }
    bool inCrs() const { return crsDepth_ > 0; }
    bool value()
    {
        crsNext_ = false;
        return true;
    }
    bool refuse(std::string reason)
    {
        refusal = "refused: " + std::move(reason);
        return false;
    }

    int depth_ = 0, crsDepth_ = 0;
    bool crsNext_ = false;
    std::string key_, type_, odd_; // odd_: the crs's first string that is not a plain identifier
};

// GeoJSON files larger than this are not read: their lines would take
// gigabytes in the reader.
constexpr uintmax_t kGeoJsonMostBytes = uintmax_t(128) << 20;

// A track that is JSON text (whatever its name) is checked before it is opened.
void checkGeoJson(const fs::path& file)
{
    const std::string head = headOf(file, 64);
    const size_t first = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (first == std::string::npos || (head[first] != '{' && head[first] != '['))
        return;
    std::error_code error;
    const uintmax_t bytes = fs::file_size(file, error);
    if (bytes > kGeoJsonMostBytes)
        throw std::runtime_error("is a GeoJSON file of " + std::to_string(bytes >> 20) + " MB; at most " +
                                 std::to_string(kGeoJsonMostBytes >> 20) + " MB are read");
    std::ifstream in(file, std::ios::binary);
    CrsScan scan;
    const bool read = walkJson(in, scan);
    if (!scan.refusal.empty())
        throw std::runtime_error(scan.refusal);
    if (!read)
        throw std::runtime_error("is not a track (GPX, GeoJSON or KML) that can be read, or it is damaged");
}

// The coordinate systems the opened dataset holds (from its header, a
// citation or a sidecar) name no file either.
void checkSystems(GDALDataset& dataset)
{
    std::vector<const OGRSpatialReference*> systems = {dataset.GetSpatialRef(), dataset.GetGCPSpatialRef()};
    for (OGRLayer* layer : dataset.GetLayers())
        systems.push_back(layer->GetSpatialRef());
    for (const OGRSpatialReference* system : systems) {
        if (system == nullptr)
            continue;
        char* wkt = nullptr;
        const char* const options[] = {"FORMAT=WKT2_2019", nullptr};
        const std::string text = system->exportToWkt(&wkt, options) == OGRERR_NONE && wkt ? wkt : "";
        CPLFree(wkt);
        checkSystemText(text, "its coordinate system");
    }
}

// Every request the library would send is answered here, unsent.
CPLHTTPResult* refuseFetch(const char*, CSLConstList, GDALProgressFunc, void*, CPLHTTPFetchWriteFunc, void*, void*)
{
    auto* result = static_cast<CPLHTTPResult*>(CPLCalloc(1, sizeof(CPLHTTPResult)));
    result->nStatus = 1;
    result->pszErrBuf = CPLStrdup("the import reaches no network");
    return result;
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
        CPLHTTPSetFetchCallback(refuseFetch, nullptr);
        // Coordinate systems find their grids in the system's data only.
        CPLSetConfigOption("PROJ_NETWORK", "OFF");
        OSRSetPROJEnableNetwork(FALSE);
        // A GeoJSON feature is taken up to the size of the largest file read
        // (kGeoJsonMostBytes; its reader holds about seven times the text).
        CPLSetConfigOption("OGR_GEOJSON_MAX_OBJ_SIZE", "1000");
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

ReadLevel readLevel(GDALRasterBand& band, double ratio)
{
    ReadLevel level{-1, band.GetXSize(), band.GetYSize()};
    for (int i = 0; i < band.GetOverviewCount(); ++i) {
        GDALRasterBand* overview = band.GetOverview(i);
        if (overview == nullptr || overview->GetXSize() < 1 || overview->GetYSize() < 1)
            continue;
        const double factor = std::min(static_cast<double>(band.GetXSize()) / overview->GetXSize(),
                                       static_cast<double>(band.GetYSize()) / overview->GetYSize());
        if (factor <= ratio && overview->GetXSize() < level.width)
            level = {i, overview->GetXSize(), overview->GetYSize()};
    }
    return level;
}

void checkReadLevel(GDALRasterBand& band, const ReadLevel& level, int windowWidth, int windowHeight,
                    const char* unit, const std::string& output, int mostSide)
{
    const double across = std::ceil(static_cast<double>(windowWidth) * level.width / band.GetXSize());
    const double along = std::ceil(static_cast<double>(windowHeight) * level.height / band.GetYSize());
    if (across * along <= static_cast<double>(mostSide) * mostSide)
        return;
    const auto size = [](double width, double height) {
        return std::to_string(std::lround(width)) + " x " + std::to_string(std::lround(height));
    };
    throw std::runtime_error("is " + size(band.GetXSize(), band.GetYSize()) + " " + unit + " and would be read at " +
                             size(across, along) + " for " + output + ", more than the " +
                             size(mostSide, mostSide) + " read at most: give it overviews (gdaladdo) or cut it smaller");
}

void startRead() { CPLErrorReset(); }

bool readFailed() { return CPLGetLastErrorType() >= CE_Failure; }

std::unique_ptr<GDALDataset> openGeodata(const fs::path& file, GeodataKind kind)
{
    setUpGeodataLibrary();
    const fs::path folder = folderOf(file);
    checkPlainFile(file, folder);
    checkSidecars(file, folder);
    if (isMosaic(file))
        checkMosaic(file, 1);
    if (kind == GeodataKind::Track)
        checkGeoJson(file);
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
    checkFileList(*dataset, folder);
    checkSystems(*dataset);
    return dataset;
}

} // namespace landscape
