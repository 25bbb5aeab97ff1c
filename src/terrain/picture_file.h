#pragma once
// "landscape.picture.tif", the terrain picture past 8192 pixels a side, read
// through libtiff: a tiled RGB GeoTIFF (JPEG tiles) with overviews, each
// level half the side of the one before, rounded up. Its top row lies along
// z = 0 and its left column along x = 0, like "Terrain2.bmp" seen upright.
// One PictureFile serves one thread at a time.

#include "assets/report.h"

#include <cstdint>
#include <memory>
#include <string>

constexpr const char* kFinePictureFileName = "landscape.picture.tif";
constexpr int kMostFinePictureSide = 32768;

class PictureFile {
public:
    // Null, with the report, when the file cannot serve; a file that is not
    // there fails with an empty text.
    static std::unique_ptr<PictureFile> open(const std::string& path, Report& report);
    ~PictureFile();

    int side() const { return side_; }             // pixels along a side at level 0
    int levelCount() const { return levelCount_; } // level 0 .. levelCount - 1
    int levelSide(int level) const;

    // The square of `size` x `size` pixels of that level whose top-left pixel
    // is (x, y), as RGB bytes row by row from the top; pixels beyond the
    // picture repeat its edge. Allocates nothing once warm.
    Report readSquare(int level, int x, int y, int size, uint8_t* rgb);

    struct State;

private:
    PictureFile() = default;
    int side_ = 0;
    int levelCount_ = 0;
    std::unique_ptr<State> state_;
};
