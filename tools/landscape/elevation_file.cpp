#include "elevation_file.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_minixml.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

namespace landscape {

namespace {

namespace fs = std::filesystem;

// The drivers a file may be opened with: elevation formats, the pictures
// that served as height maps before, and mosaics. None of them goes to the
// network by itself; a mosaic is checked before it is opened.
const char* const kAllowedDrivers[] = {"GTiff", "SRTMHGT", "AAIGrid", "HFA",  "EHdr", "PNG", "VRT",  "USGSDEM",
                                       "BT",    "GSAG",    "GSBG",    "GS7BG", "ENVI", "BMP", "JPEG", "GIF",
                                       "PNM",   "TGA",     nullptr};

constexpr int kMosaicDepth = 4; // mosaics of mosaics, at most this deep

// Sets the library up once: quiet, without network, without sidecar files
// written beside the user's file, and with a bounded block cache.
void setUpRasterLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // The library's own messages would reach the user raw; each failure
        // is reported here in plain words instead.
        CPLSetErrorHandler(CPLQuietErrorHandler);
        // No directory listing beside the file: drivers look for the sidecar
        // files they need (.hdr, .ovr, .prj) by name.
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
            if (CSLFindString(const_cast<char**>(kAllowedDrivers), driver->GetDescription()) < 0) {
                drivers.DeregisterDriver(driver);
                GDALDestroyDriver(driver);
            }
        }
    });
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

std::unique_ptr<GDALDataset> openDataset(const fs::path& file)
{
    std::error_code error;
    if (!fs::exists(file, error))
        throw std::runtime_error("cannot be found");
    if (fs::is_directory(file, error))
        throw std::runtime_error("is a folder, not a file");
    if (!std::ifstream(file, std::ios::binary))
        throw std::runtime_error("cannot be opened (no permission to read it?)");
    if (isMosaic(file))
        checkMosaic(file, 1);
    std::unique_ptr<GDALDataset> dataset(GDALDataset::FromHandle(
        GDALOpenEx(file.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, kAllowedDrivers, nullptr, nullptr)));
    if (!dataset || dataset->GetRasterCount() < 1)
        throw std::runtime_error("is not an elevation model or picture that can be read, or it is damaged");
    checkFileList(*dataset, file);
    return dataset;
}

// The window in samples, from the user's box of samples or coordinates.
CropBox windowOf(GDALDataset& dataset, const ReadWindow& window, double* transform, bool hasTransform)
{
    const int width = dataset.GetRasterXSize();
    const int height = dataset.GetRasterYSize();
    const auto size = [&] { return std::to_string(width) + " x " + std::to_string(height) + " samples"; };
    if (window.samples) {
        const CropBox& box = *window.samples;
        if (box.x < 0 || box.y < 0 || box.x > width - box.width || box.y > height - box.height)
            throw std::runtime_error("the crop box does not lie inside the " + size());
        return box;
    }
    if (!window.bounds)
        return {0, 0, width, height};
    if (!hasTransform)
        throw std::runtime_error("is not georeferenced, so --bounds cannot be used (--crop can)");
    double inverse[6];
    if (!GDALInvGeoTransform(transform, inverse))
        throw std::runtime_error("has a georeferencing that cannot be inverted");
    const CoordinateBox& b = *window.bounds;
    double left = std::numeric_limits<double>::max(), right = -left, top = left, bottom = -left;
    for (const double x : {b.west, b.east})
        for (const double y : {b.south, b.north}) {
            double column = 0.0, row = 0.0;
            GDALApplyGeoTransform(inverse, x, y, &column, &row);
            left = std::min(left, column), right = std::max(right, column);
            top = std::min(top, row), bottom = std::max(bottom, row);
        }
    const CropBox box{static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)),
                      static_cast<int>(std::lround(right - left)), static_cast<int>(std::lround(bottom - top))};
    if (box.width < 1 || box.height < 1 || box.x < 0 || box.y < 0 || box.x > width - box.width ||
        box.y > height - box.height)
        throw std::runtime_error("the bounds do not lie inside the file, which covers " +
                                 std::to_string(transform[0]) + " to " +
                                 std::to_string(transform[0] + width * transform[1]) + " across and " +
                                 std::to_string(transform[3] + height * transform[5]) + " to " +
                                 std::to_string(transform[3]) + " up and down");
    return box;
}

// The height unit in metres: feet where the file says so, else metres.
double metresPerUnit(GDALRasterBand& band)
{
    const std::string unit = band.GetUnitType();
    if (EQUAL(unit.c_str(), "US survey foot") || EQUAL(unit.c_str(), "us-ft"))
        return 1200.0 / 3937.0;
    if (EQUAL(unit.c_str(), "ft") || EQUAL(unit.c_str(), "foot") || EQUAL(unit.c_str(), "feet"))
        return 0.3048;
    return 1.0;
}

// The window's ground size in metres, where the file says where it lies.
void measureGround(GDALDataset& dataset, const double* t, const CropBox& box, ElevationModel& model)
{
    const OGRSpatialReference* system = dataset.GetSpatialRef();
    if (system == nullptr)
        return;
    const double across = box.width * std::hypot(t[1], t[4]);
    const double along = box.height * std::hypot(t[2], t[5]);
    if (system->IsProjected()) {
        const double metres = system->GetLinearUnits();
        model.metresAcross = across * metres;
        model.metresAlong = along * metres;
    } else if (system->IsGeographic()) {
        // A degree along a parallel shrinks with the cosine of its latitude.
        const double radians = system->GetAngularUnits();
        const double radius = system->GetSemiMajor();
        const double middle = t[3] + (box.x + 0.5 * box.width) * t[4] + (box.y + 0.5 * box.height) * t[5];
        model.metresAcross = across * radians * radius * std::cos(middle * radians);
        model.metresAlong = along * radians * radius;
    }
}

} // namespace

ElevationModel readElevationModel(const fs::path& file, const ReadWindow& window)
{
    setUpRasterLibrary();
    const std::unique_ptr<GDALDataset> dataset = openDataset(file);
    GDALRasterBand& band = *dataset->GetRasterBand(1);
    double transform[6];
    const bool hasTransform = dataset->GetGeoTransform(transform) == CE_None;
    const CropBox box = windowOf(*dataset, window, transform, hasTransform);

    ElevationModel model;
    model.windowWidth = box.width;
    model.windowHeight = box.height;
    model.metresPerUnit = metresPerUnit(band);
    if (hasTransform)
        measureGround(*dataset, transform, box, model);

    // Straight from the file to the size the ground needs, averaging the
    // samples each one covers (and skipping those without data).
    ElevationGrid& grid = model.grid;
    grid.width = std::min(box.width, kMapSize);
    grid.height = std::min(box.height, kMapSize);
    grid.samples.resize(static_cast<size_t>(grid.width) * grid.height);
    GDALRasterIOExtraArg resampling;
    INIT_RASTERIO_EXTRA_ARG(resampling);
    resampling.eResampleAlg = GRIORA_Average;
    if (band.RasterIO(GF_Read, box.x, box.y, box.width, box.height, grid.samples.data(), grid.width, grid.height,
                      GDT_Float32, 0, 0, &resampling) != CE_None)
        throw std::runtime_error("is damaged or cut short: its samples cannot be read");

    // Where no sample had data the result is the no-data value; a mask that
    // is not a no-data value is read at the same size.
    int hasNoData = 0;
    const auto noData = static_cast<float>(band.GetNoDataValue(&hasNoData));
    std::vector<uint8_t> mask;
    const int maskFlags = band.GetMaskFlags();
    if (!hasNoData && !(maskFlags & GMF_ALL_VALID)) {
        mask.resize(grid.samples.size());
        if (band.GetMaskBand()->RasterIO(GF_Read, box.x, box.y, box.width, box.height, mask.data(), grid.width,
                                         grid.height, GDT_Byte, 0, 0, &resampling) != CE_None)
            throw std::runtime_error("is damaged or cut short: its mask cannot be read");
    }
    int hasScale = 0, hasOffset = 0;
    const double scale = band.GetScale(&hasScale);
    const double offset = band.GetOffset(&hasOffset);
    const float missing = std::numeric_limits<float>::quiet_NaN();
    for (size_t i = 0; i < grid.samples.size(); ++i) {
        float& sample = grid.samples[i];
        if ((hasNoData && sample == noData) || std::isnan(sample) ||
            (!mask.empty() && mask[i] == 0))
            sample = missing;
        else if (hasScale || hasOffset)
            sample = static_cast<float>(sample * scale + offset);
    }
    return model;
}

} // namespace landscape
