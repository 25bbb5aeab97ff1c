// Geodata files made in the tests through GDAL's own API, scratch folders,
// and runs of the lumora-landscape command, for the tests of a user's own
// terrain and of the import around it.
#pragma once

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <arpa/inet.h>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <type_traits>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace landscape_test {

namespace fs = std::filesystem;

// A listener on the loopback address that nobody should call.
struct Listener {
    int socket = -1;
    int port = 0;
    Listener()
    {
        socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(socket, 4), 0);
        EXPECT_EQ(getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length), 0);
        port = ntohs(address.sin_port);
    }
    ~Listener() { close(socket); }
    bool called() const { return accept(socket, nullptr, nullptr) >= 0; }
};

inline fs::path scratch(const std::string& name)
{
    const fs::path folder = fs::path(LANDSCAPE_TEST_OUTPUT) / ("own-" + std::to_string(getpid())) / name;
    return fs::remove_all(folder), fs::create_directories(folder), folder;
}

inline std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A GeoTIFF: value(x, y, band) per sample, NaN where there is no data.
// Projected (UTM zone 32, metres) or, with degrees, geographic (WGS 84).
struct Raster {
    int width, height;
    GDALDataType type;
    std::array<double, 6> transform;
    bool degrees = false;
    int bands = 1;
};

// value is called once a sample, as value(x, y, band) or, for one band, value(x, y).
template <typename Value>
void writeRaster(const fs::path& file, const Raster& r, const Value& value)
{
    GDALAllRegister();
    const char* options[] = {"COMPRESS=DEFLATE", nullptr};
    GDALDataset* set = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        file.c_str(), r.width, r.height, r.bands, r.type, const_cast<char**>(options));
    ASSERT_NE(set, nullptr);
    OGRSpatialReference system;
    system.SetWellKnownGeogCS("WGS84");
    if (!r.degrees)
        system.SetUTM(32);
    set->SetSpatialRef(&system);
    set->SetGeoTransform(const_cast<double*>(r.transform.data()));
    std::vector<double> samples(static_cast<size_t>(r.width) * r.height);
    for (int band = 1; band <= r.bands; ++band) {
        double* sample = samples.data();
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                double v;
                if constexpr (std::is_invocable_v<const Value&, int, int, int>)
                    v = value(x, y, band);
                else
                    v = value(x, y);
                *sample++ = std::isnan(v) ? -9999.0 : v;
            }
        if (r.bands == 1)
            set->GetRasterBand(band)->SetNoDataValue(-9999.0);
        EXPECT_EQ(set->GetRasterBand(band)->RasterIO(GF_Write, 0, 0, r.width, r.height, samples.data(), r.width,
                                                     r.height, GDT_Float64, 0, 0, nullptr),
                  CE_None);
    }
    GDALClose(set);
}

struct CommandRun {
    int status;
    std::string out, err;
};

inline CommandRun generate(const fs::path& folder, const std::string& arguments)
{
    const std::string base = folder.string();
    const int status = std::system(
        (std::string(LUMORA_LANDSCAPE) + " " + base + " " + arguments + " >" + base + ".out 2>" + base + ".err")
            .c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(base + ".out"), readText(base + ".err")};
}

} // namespace landscape_test
