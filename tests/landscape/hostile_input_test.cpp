// Hostile inputs to the import, made here: coordinate systems that name a
// file or a server, links and sidecars that point out of the folder, pipes
// and devices, a picture cut short, a picture that declares more than can be
// read, a zig-zag track, an oversized GeoJSON and an empty GPX. Each is
// refused with its own reason naming the file, while a loopback listener
// takes no call and nothing in the folder beside is opened (inotify).
#include "geodata_files.h"

#include "elevation_file.h"
#include "geodata_file.h"
#include "imagery.h"
#include "place_import.h"
#include "track.h"

#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <thread>

namespace landscape_test {
namespace {

// A ground of 64 x 64 samples in degrees near 10 E 47.3 N.
constexpr std::array<double, 6> kGround{10.0, 0.001, 0, 47.3, 0, -0.001};

void writeGround(const fs::path& file)
{
    writeRaster(file, {64, 64, GDT_Float32, kGround, true}, [](int x, int y) { return 500.0 + x + 2.0 * y; });
}

// Where the ground lies, as its import finds it.
landscape::GeoReference groundReference()
{
    landscape::GeoReference reference;
    OGRSpatialReference lonLat;
    lonLat.SetWellKnownGeogCS("WGS84");
    char* wkt = nullptr;
    lonLat.exportToWkt(&wkt);
    reference.systemWkt = wkt;
    CPLFree(wkt);
    reference.geotransform = landscape::worldTransformOf(kGround, 64, 64);
    return reference;
}

void writePhoto(const fs::path& file)
{
    writeRaster(file, {32, 32, GDT_Byte, kGround, true, 3}, [](int x, int, int band) { return band * 60.0 + x; });
}

std::string trackJson(const std::string& crs)
{
    return "{\"type\":\"FeatureCollection\"," + crs +
           "\"features\":[{\"type\":\"Feature\",\"properties\":{},\"geometry\":{\"type\":\"LineString\","
           "\"coordinates\":[[10.01,47.29],[10.05,47.26]]}}]}";
}

std::string mosaicOf(const std::string& source, const std::string& system)
{
    return "<VRTDataset rasterXSize=\"32\" rasterYSize=\"32\"><SRS>" + system +
           "</SRS><GeoTransform>10, 0.002, 0, 47.3, 0, -0.002</GeoTransform><VRTRasterBand dataType=\"Byte\" "
           "band=\"1\"><SimpleSource><SourceFilename relativeToVRT=\"1\">" +
           source + "</SourceFilename><SourceBand>1</SourceBand></SimpleSource></VRTRasterBand></VRTDataset>";
}

// Opens of any file in a folder, seen through inotify.
struct OpenWatch {
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    explicit OpenWatch(const fs::path& folder) { EXPECT_GE(inotify_add_watch(fd, folder.c_str(), IN_OPEN), 0); }
    ~OpenWatch() { close(fd); }
    bool opened() const
    {
        alignas(inotify_event) char events[4096];
        return read(fd, events, sizeof events) > 0;
    }
};

// Ends a wait on a pipe that the import should never have opened: after
// the time given, each pipe is opened for writing once, which lets a
// blocked reader go on (and the case fail) instead of hanging the suite.
class PipeGuard {
public:
    PipeGuard(std::vector<fs::path> pipes, std::chrono::seconds limit)
        : thread_([this, pipes = std::move(pipes), limit] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (done_.wait_for(lock, limit, [this] { return finished_; }))
                  return;
              expired_ = true;
              for (const fs::path& pipe : pipes)
                  if (const int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
                      close(fd);
          })
    {
    }
    ~PipeGuard()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }
    bool expired() const { return expired_; }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::atomic<bool> expired_ = false;
    std::thread thread_;
};

// Most refusals come as the file is opened, which is all the case runs
// then; the rest come as it is read or drawn onto a terrain picture of
// 1024 x 1024 over the ground.
enum class Stage { Open, Draw };

struct Case {
    const char* what;
    std::string heightMap, image, track; // one of them
    std::string reason;                  // the start of the reason; empty: taken
    Stage stage = Stage::Open;
};

TEST(HostileInput, EachIsRefusedNamingItsFileWithoutACallOrAReadOutside)
{
    const fs::path root = scratch("hostile");
    const fs::path folder = root / "inside", outside = root / "outside";
    fs::create_directories(folder), fs::create_directories(outside);
    writeGround(folder / "dem.tif");
    writePhoto(folder / "photo.tif");
    writePhoto(outside / "photo.tif");
    writeBytes(outside / "grid.gsb", "not a grid\n");
    const std::string grid = (outside / "grid.gsb").string();
    const Listener listener;
    const std::string server = "http://127.0.0.1:" + std::to_string(listener.port) + "/crs.wkt";

    const auto file = [&](const std::string& name, const std::string& text) {
        writeBytes(folder / name, text);
        return (folder / name).string();
    };
    const auto link = [&](const std::string& name, const fs::path& target) {
        fs::create_symlink(target, folder / name);
        return (folder / name).string();
    };
    const auto pipe = [&](const std::string& name) {
        EXPECT_EQ(mkfifo((folder / name).c_str(), 0600), 0);
        return (folder / name).string();
    };
    // An ASCII grid whose .prj beside it hides a grid in its PROJ extension.
    file("grid.asc", "ncols 2\nnrows 2\nxllcorner 10\nyllcorner 47\ncellsize 0.01\n1 2\n3 4\n");
    file("grid.prj", "GEOGCS[\"x\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],PRIMEM[\"G\",0],"
                     "UNIT[\"degree\",0.0174532925199433],EXTENSION[\"PROJ4\",\"+proj=longlat +ellps=WGS84 "
                     "+nadgrids = " +
                         grid + " +no_defs\"]]");
    writePhoto(folder / "over.tif");
    link("over.tif.ovr", outside / "photo.tif");
    writePhoto(folder / "piped.tif");
    pipe("piped.tfw");
    link("tile.tif", outside / "photo.tif");
    pipe("tile-pipe.tif");
    // Sparse and tiled: its tile index on disk, 10^10 pixels declared.
    const auto bomb = [&](const std::string& name, GDALDataType type) {
        const char* options[] = {"TILED=YES", "SPARSE_OK=TRUE", "COMPRESS=DEFLATE", "BIGTIFF=YES", nullptr};
        GDALDataset* set = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
            (folder / name).c_str(), 100000, 100000, 1, type, const_cast<char**>(options));
        double transform[6] = {10.0, 0.064 / 100000, 0, 47.3, 0, -0.064 / 100000};
        set->SetGeoTransform(transform);
        GDALClose(set);
        return (folder / name).string();
    };
    // A picture in compressed strips, cut off in its middle.
    writeRaster(folder / "cut.tif", {256, 256, GDT_Byte, kGround, true, 3}, [](int, int y, int) { return y; });
    fs::resize_file(folder / "cut.tif", fs::file_size(folder / "cut.tif") / 2);
    // Larger than any GeoJSON read, as a sparse file.
    const std::string huge = file("huge.geojson", "{\"type\":\"FeatureCollection\",\"features\":[");
    fs::resize_file(huge, (uintmax_t(129) << 20));

    const std::string notPlain = "refused: it is not a regular file (a pipe, device or socket)";
    const Case cases[] = {
        {"a crs to fetch", "", "", file("link.geojson", trackJson("\"crs\":{\"type\":\"link\",\"properties\":{\"href\":"
                                                                   "\"" + server + "\",\"type\":\"wkt\"}},")),
         "refused: its crs is of type \"link\", which points to a file or a network address"},
        {"a crs URL in a geometry, in capitals", "", "",
         file("url.geojson", "{\"type\":\"Feature\",\"properties\":{},\"geometry\":{\"type\":\"Point\",\"coordinates\":"
                             "[10.02,47.28],\"CRS\":{\"type\":\"url\",\"properties\":{\"url\":\"" + server + "\"}}}}"),
         "refused: its crs is of type \"url\""},
        {"a crs name that is a PROJ string with a grid", "", "",
         file("proj.geojson", trackJson("\"crs\":{\"type\":\"name\",\"properties\":{\"name\":\"+proj=longlat "
                                        "+ellps=WGS84 +nadgrids=" + grid + "\"}},")),
         "refused: its crs names \"+proj=longlat"},
        {"a plain crs name", "", "",
         file("named.geojson", trackJson("\"crs\":{\"type\":\"name\",\"properties\":{\"name\":"
                                         "\"urn:ogc:def:crs:OGC:1.3:CRS84\"}},")),
         ""},
        {"a mosaic's system with a grid", "", file("nad.vrt", mosaicOf("photo.tif", "+proj=longlat +ellps=WGS84 "
                                                                                     "+nadgrids=" + grid)),
         "", "refused: the mosaic's coordinate system names a file or a network address (nadgrids=)"},
        {"a mosaic's system with an init file", file("init.vrt", mosaicOf("photo.tif", "+init=" + grid + ":root")),
         "", "", "refused: the mosaic's coordinate system names a file or a network address (init=)"},
        {"a .prj beside with a grid", (folder / "grid.asc").string(), "", "",
         "refused: the coordinate system in \"grid.prj\" beside it names a file or a network address (nadgrids=)"},
        {"a link out of the folder", "", link("away.tif", outside / "photo.tif"), "",
         "refused: it is a link to \"" + (outside / "photo.tif").string() + "\", outside its own folder"},
        {"a link within the folder", "", link("here.tif", folder / "photo.tif"), "", ""},
        {"a link to a device", link("zero.tif", "/dev/zero"), "", "", "refused: it is a link to \"/dev/zero\""},
        {"overviews beside that link out", "", (folder / "over.tif").string(), "",
         "refused: \"over.tif.ovr\" beside it is a link to \"" + (outside / "photo.tif").string() +
             "\", outside its folder"},
        {"a mosaic's tile that links out", "", file("tiles.vrt", mosaicOf("tile.tif", "EPSG:4326")), "",
         "refused: the mosaic names \"tile.tif\", which is not a file in the mosaic's own folder"},
        {"a mosaic's tile that is a pipe", "", file("fifo-tile.vrt", mosaicOf("tile-pipe.tif", "EPSG:4326")), "",
         "refused: the mosaic's tile \"tile-pipe.tif\": it is not a regular file"},
        {"a world file beside that is a pipe", "", (folder / "piped.tif").string(), "",
         "refused: \"piped.tfw\" beside it is not a regular file"},
        {"a pipe as the elevation model", pipe("dem-pipe.tif"), "", "", notPlain},
        {"a pipe as the picture", "", pipe("photo-pipe.tif"), "", notPlain},
        {"a pipe as the track", "", "", pipe("track-pipe.gpx"), notPlain},
        {"a device", "/dev/zero", "", "", notPlain},
        {"a picture cut short", "", (folder / "cut.tif").string(), "",
         "cannot be warped onto the ground: it is damaged or cut short", Stage::Draw},
        {"a picture of 10^10 pixels", "", bomb("bomb.tif", GDT_Byte), "",
         "is 100000 x 100000 pixels and would be read at 100000 x 100000 for a terrain picture of 1024 x 1024, more "
         "than the 16384 x 16384 read at most", Stage::Draw},
        {"an elevation model of 10^10 samples", bomb("bomb-dem.tif", GDT_Int16), "", "",
         "is 100000 x 100000 samples and would be read at 100000 x 100000 for the ground's 1024 x 1024",
         Stage::Draw},
        {"a GeoJSON larger than is read", "", "", huge, "is a GeoJSON file of 129 MB; at most 128 MB are read"},
        {"an empty GPX", "", "",
         file("empty.gpx", "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
                           "xmlns=\"http://www.topografix.com/GPX/1/1\"></gpx>\n"),
         "holds no track, route or waypoint", Stage::Draw},
    };
    std::vector<fs::path> pipes;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_fifo())
            pipes.push_back(entry.path());
    const OpenWatch watch(outside);
    const PipeGuard guard(pipes, std::chrono::seconds(20));
    const landscape::GeoReference reference = groundReference();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string named = !c.track.empty() ? c.track : !c.image.empty() ? c.image : c.heightMap;
        const landscape::GeodataKind kind = !c.track.empty()   ? landscape::GeodataKind::Track
                                            : !c.image.empty() ? landscape::GeodataKind::Imagery
                                                               : landscape::GeodataKind::Elevation;
        try {
            if (c.stage == Stage::Open || kind != landscape::GeodataKind::Elevation) {
                const std::unique_ptr<GDALDataset> set = landscape::openGeodata(named, kind);
                landscape::Picture picture(1024, 1024, 3);
                if (c.stage == Stage::Draw && kind == landscape::GeodataKind::Imagery)
                    landscape::drapeImagery(*set, &reference, {1, 1, 1}, picture);
                if (c.stage == Stage::Draw && kind == landscape::GeodataKind::Track)
                    landscape::drawTrack(*set, reference, {1, 1, 1}, picture);
            } else {
                landscape::readElevationModel(named);
            }
            EXPECT_EQ(c.reason, "") << named << " was taken";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.reason, 0), 0u) << e.what();
            EXPECT_NE(c.reason, "");
        }
        EXPECT_FALSE(watch.opened());
    }
    EXPECT_FALSE(guard.expired());
    EXPECT_FALSE(listener.called());

    // The command says it in one line, exits 1 and writes nothing.
    const CommandRun run = generate(root / "out", "--heightmap " + (folder / "dem.tif").string() + " --track " + cases[0].track);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "lumora-landscape: " + cases[0].track + ": " + cases[0].reason +
                           "; only a named coordinate system (such as EPSG:4326) is taken\n");
    EXPECT_FALSE(fs::exists(root / "out"));
    EXPECT_FALSE(listener.called());
}

// Four hundred points from corner to corner and back draw in a pass along
// each segment, not a scan of the picture for each.
TEST(HostileInput, ZigZagTrackDrawsInTimeWithItsLength)
{
    const fs::path folder = scratch("zig-zag");
    std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
                      "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>\n";
    for (int i = 0; i < 400; ++i)
        gpx += "<trkpt lat=\"" + std::to_string(i % 2 ? 47.2365 : 47.2995) + "\" lon=\"" +
               std::to_string(i % 2 ? 10.0635 : 10.0005 + 0.0001 * (i % 7)) + "\"/>\n";
    writeBytes(folder / "zig.gpx", gpx + "</trkseg></trk></gpx>\n");
    const std::unique_ptr<GDALDataset> track =
        landscape::openGeodata(folder / "zig.gpx", landscape::GeodataKind::Track);
    landscape::Picture picture(1024, 1024, 3);
    const auto start = std::chrono::steady_clock::now();
    const landscape::TrackDrawing drawing = landscape::drawTrack(*track, groundReference(), {1, 1, 1}, picture);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(drawing.lines, 1);
    EXPECT_TRUE(drawing.drawn);
    EXPECT_LT(seconds, 5.0);
    // The diagonal is drawn through the middle.
    bool red = false;
    for (int y = 500; y < 524; ++y)
        for (int x = 500; x < 524; ++x) {
            const uint8_t* p = picture.at(x, y);
            red |= p[0] > 180 && p[1] < 60 && p[2] < 60;
        }
    EXPECT_TRUE(red);
}

} // namespace
} // namespace landscape_test
