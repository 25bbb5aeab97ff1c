// Opening a user's geodata file (an elevation model, a picture, a track)
// through GDAL without letting it reach further than the user meant: only the
// drivers allowed for that kind of file may open it; before it is opened, it
// and the sidecars beside it must be regular files whose links point into
// its own folder, a mosaic (.vrt) whose sources are not such files is
// refused, and no coordinate system it holds as text (a mosaic's, a .prj, a
// GeoJSON crs) may name a file or a server; every file the opened dataset
// reads must lie in the named file's folder.
// Nothing goes to the network, nothing is written beside the file, and the
// library's own messages are kept quiet: failures come back as one plain
// reason (std::runtime_error), which the caller prefixes with the file's name.
#pragma once

#include <gdal_priv.h>

#include <filesystem>
#include <memory>
#include <string>

namespace landscape {

enum class GeodataKind {
    Elevation, // elevation formats, the pictures that served as height maps, mosaics
    Imagery,   // orthophotos and satellite pictures, mosaics
    Track,     // GPX, GeoJSON and KML lines and points
};

// Sets the library up once (quiet, no network, no files written beside the
// user's, a bounded cache, only the drivers of the allow-lists); every use of
// GDAL in the generator goes through here first.
void setUpGeodataLibrary();

// Opens the file read-only as that kind after the checks above.
std::unique_ptr<GDALDataset> openGeodata(const std::filesystem::path& file, GeodataKind kind);

// The most samples (pixels) of a picture or an elevation model that one
// import reads, at the level it reads them from: what the output needs
// comes from overviews, so a file that declares more than it can read in
// time without them is refused before any of it is read.
constexpr int kMostSideRead = 16384;

// The level a raster is read from when shrunk by ratio (its samples per
// output sample, across): the coarsest of its full size and its overviews
// that is still as fine. The library's own reads take that level or a
// coarser one.
struct ReadLevel {
    int overview = -1; // -1: the full size
    int width = 0, height = 0;
};
ReadLevel readLevel(GDALRasterBand& band, double ratio);

// Throws, with the sizes, where the window of the band (in full-size
// samples) holds more than mostSide x mostSide (kMostSideRead a side by default)
// at that level. unit: "pixels" or "samples"; output: what is made of it
// ("a terrain picture of 2048 x 2048").
void checkReadLevel(GDALRasterBand& band, const ReadLevel& level, int windowWidth, int windowHeight,
                    const char* unit, const std::string& output, int mostSide = kMostSideRead);

// Clears the library's last error before a read, and tells afterwards
// whether one failed in any part (a strip, a tile), whatever it returned.
void startRead();
bool readFailed();

} // namespace landscape
