// Opening a user's geodata file (an elevation model, a picture, a track)
// through GDAL without letting it reach further than the user meant: only the
// drivers allowed for that kind of file may open it, a mosaic (.vrt) whose
// sources are not files in its own folder is refused before it is opened, and
// every file the opened dataset reads must lie in the named file's folder.
// Nothing goes to the network, nothing is written beside the file, and the
// library's own messages are kept quiet: failures come back as one plain
// reason (std::runtime_error), which the caller prefixes with the file's name.
#pragma once

#include <gdal_priv.h>

#include <filesystem>
#include <memory>

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

} // namespace landscape
