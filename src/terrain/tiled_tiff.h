#pragma once
// A tiled TIFF read through libtiff, for the fine ground and the fine
// picture: one descriptor of a regular file, read by position, so that
// several libtiff handles (one a level, each held at its own directory) share
// it and a level's tiles are read without switching directories. libtiff's
// errors and warnings are kept here, never printed: the first of them since
// clearMessage() tells why something failed. Nothing is memory-mapped, so a
// file cut short while it is read fails a read instead of the process.

#include "assets/report.h"

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

typedef struct tiff TIFF;

// GDAL's metadata tag: an XML text of items by name and domain.
constexpr uint32_t kGdalMetadataTag = 42112;

class TiledTiff {
public:
    TiledTiff();
    TiledTiff(const TiledTiff&) = delete;
    TiledTiff& operator=(const TiledTiff&) = delete;
    ~TiledTiff(); // closes every handle, then the file

    // Opens a regular file without waiting on a pipe or a device. A failure
    // reports the path as its file; a file that is not there has no text.
    Report openFile(const std::string& path);
    uint64_t fileSize() const { return fileSize_; }

    // A libtiff handle over the file, closed with this; null on failure, with
    // message(). FirstDirectory reads the first image's directory, as libtiff
    // opens a file; HeaderOnly reads none, for a handle that goes straight to
    // one directory with TIFFSetDirectory.
    enum class Start { FirstDirectory, HeaderOnly };
    TIFF* openHandle(Start start);
    void closeHandle(TIFF* handle);

    void clearMessage();
    // libtiff's first error since clearMessage(), or its first warning when
    // it gave none, on one line; "no reason given" when it gave neither.
    std::string message() const;
    // "what: message()", a report's text.
    std::string failure(const std::string& what) const;

    struct Cursor;

private:
    static int keepError(TIFF*, void* user, const char* module, const char* format, va_list arguments);
    static int keepWarning(TIFF*, void* user, const char* module, const char* format, va_list arguments);

    int fd_ = -1;
    uint64_t fileSize_ = 0;
    std::vector<std::unique_ptr<Cursor>> cursors_; // one a handle
    char error_[256] = {};
    char warning_[256] = {};
};

// One image of a file: its directory's number, its size, and whether it is
// a reduced one (an overview).
struct TiffImage {
    int directory = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    bool overview = false;
};

// "W x H".
std::string sideText(uint32_t width, uint32_t height);

// Walks the images of the file in their order, from the handle's first
// directory, masks skipped, at most mostImages of them. visit sees each with
// the handle at its directory and answers why the file cannot serve (empty:
// it can). Returns the first answer, or why the walk itself failed; empty
// when every image served.
std::string walkImages(TiledTiff& file, TIFF* tiff, int mostImages,
                       const std::function<std::string(const TiffImage&)>& visit);

// A failure to read that file, for the reasons below.
Report readFailure(const std::string& path, std::string why);

// Whether the tiles of the current directory all lie inside the file and
// hold bytes: a file cut short, or one that claims more than it holds, is
// found before any tile is read. False with a text that says which tile.
bool tilesInsideFile(TIFF* tiff, uint64_t fileSize, std::string& why);

// The text of GDAL's metadata item of that name and domain in the current
// directory, or false when there is none. The text stays valid until the
// directory changes.
bool gdalMetadataItem(TIFF* tiff, const char* name, const char* domain, std::string_view& text);
