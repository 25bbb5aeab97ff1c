#include "terrain/tiled_tiff.h"

#include <tiffio.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

// Where one handle stands in the shared file.
struct TiledTiff::Cursor {
    int fd = -1;
    uint64_t fileSize = 0;
    uint64_t position = 0;
    TIFF* tiff = nullptr;
};

namespace {

// The most libtiff may take in one allocation: the largest ground's bounds,
// about a million numbers in one text, fit with room to spare, and a claim
// past it (a text or a table of gigabytes) is refused before it is made.
constexpr tmsize_t kMostTiffAllocation = tmsize_t(64) << 20;

tmsize_t readAt(thandle_t handle, void* buffer, tmsize_t bytes)
{
    auto* cursor = static_cast<TiledTiff::Cursor*>(handle);
    auto* out = static_cast<char*>(buffer);
    tmsize_t done = 0;
    while (done < bytes) {
        const ssize_t got = pread(cursor->fd, out + done, size_t(bytes - done), off_t(cursor->position));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
        cursor->position += uint64_t(got);
    }
    return done;
}

tmsize_t refuseWrite(thandle_t, void*, tmsize_t) { return -1; }

toff_t seekTo(thandle_t handle, toff_t offset, int whence)
{
    auto* cursor = static_cast<TiledTiff::Cursor*>(handle);
    if (whence == SEEK_SET)
        cursor->position = offset;
    else if (whence == SEEK_CUR)
        cursor->position += offset;
    else if (whence == SEEK_END)
        cursor->position = cursor->fileSize + offset;
    return cursor->position;
}

toff_t sizeOf(thandle_t handle) { return static_cast<TiledTiff::Cursor*>(handle)->fileSize; }

int leaveOpen(thandle_t) { return 0; }

int mapNothing(thandle_t, void**, toff_t*) { return 0; }

void unmapNothing(thandle_t, void*, toff_t) {}

// libtiff does not know GDAL's tag: taught once to every handle, after any
// extender that was there before (whoever set it keeps its own tags).
TIFFExtendProc previousExtender = nullptr;

void addGdalMetadataTag(TIFF* tiff)
{
    static const TIFFFieldInfo field = {kGdalMetadataTag, -1, -1, TIFF_ASCII,
                                        FIELD_CUSTOM,     1,  0,  const_cast<char*>("GDALMetadata")};
    TIFFMergeFieldInfo(tiff, &field, 1);
    if (previousExtender)
        previousExtender(tiff);
}

void teachGdalMetadataTag()
{
    static std::once_flag taught;
    std::call_once(taught, [] { previousExtender = TIFFSetTagExtender(addGdalMetadataTag); });
}

void keepFirst(char* kept, size_t size, const char* format, va_list arguments)
{
    if (kept[0] != '\0')
        return;
    std::vsnprintf(kept, size, format, arguments);
    // The handles have no name, which some messages begin with.
    if (kept[0] == ':' && kept[1] == ' ')
        std::memmove(kept, kept + 2, std::strlen(kept + 2) + 1);
    for (char* c = kept; *c; ++c)
        if (*c == '\n' || *c == '\r' || *c == '\t')
            *c = ' ';
}

} // namespace

TiledTiff::TiledTiff() = default;

TiledTiff::~TiledTiff()
{
    for (const auto& cursor : cursors_)
        if (cursor->tiff)
            TIFFClose(cursor->tiff);
    if (fd_ >= 0)
        close(fd_);
}

Report TiledTiff::openFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return readFailure(path, errno == ENOENT ? "" : std::string("cannot be opened: ") + std::strerror(errno));
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return readFailure(path, "not a regular file");
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    fileSize_ = uint64_t(status.st_size);
    teachGdalMetadataTag();
    return {};
}

int TiledTiff::keepError(TIFF*, void* user, const char*, const char* format, va_list arguments)
{
    auto* file = static_cast<TiledTiff*>(user);
    keepFirst(file->error_, sizeof file->error_, format, arguments);
    return 1; // handled: libtiff's own handler stays silent
}

int TiledTiff::keepWarning(TIFF*, void* user, const char*, const char* format, va_list arguments)
{
    auto* file = static_cast<TiledTiff*>(user);
    keepFirst(file->warning_, sizeof file->warning_, format, arguments);
    return 1;
}

TIFF* TiledTiff::openHandle(Start start)
{
    auto cursor = std::make_unique<Cursor>();
    cursor->fd = fd_;
    cursor->fileSize = fileSize_;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMostTiffAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, keepError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, keepWarning, this);
    // "m": nothing mapped; "h": the header alone, no directory read yet.
    TIFF* tiff = TIFFClientOpenExt("", start == Start::HeaderOnly ? "rmh" : "rm", cursor.get(), readAt, refuseWrite,
                                   seekTo, leaveOpen, sizeOf, mapNothing, unmapNothing, options);
    TIFFOpenOptionsFree(options);
    if (!tiff)
        return nullptr;
    cursor->tiff = tiff;
    cursors_.push_back(std::move(cursor));
    return tiff;
}

void TiledTiff::closeHandle(TIFF* handle)
{
    const auto found = std::find_if(cursors_.begin(), cursors_.end(),
                                    [&](const std::unique_ptr<Cursor>& cursor) { return cursor->tiff == handle; });
    if (found == cursors_.end())
        return;
    TIFFClose(handle);
    cursors_.erase(found);
}

void TiledTiff::clearMessage()
{
    error_[0] = '\0';
    warning_[0] = '\0';
}

std::string TiledTiff::message() const
{
    if (error_[0] != '\0')
        return error_;
    if (warning_[0] != '\0')
        return warning_;
    return "no reason given";
}

std::string TiledTiff::failure(const std::string& what) const { return what + ": " + message(); }

std::string sideText(uint32_t width, uint32_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

std::string walkImages(TiledTiff& file, TIFF* tiff, int mostImages,
                       const std::function<std::string(const TiffImage&)>& visit)
{
    for (int directory = 0;; ++directory) {
        if (directory == mostImages)
            return "holds more than " + std::to_string(mostImages) + " images";
        uint32_t kind = 0;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SUBFILETYPE, &kind);
        if ((kind & FILETYPE_MASK) == 0) {
            TiffImage image{.directory = directory, .overview = (kind & FILETYPE_REDUCEDIMAGE) != 0};
            TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &image.width);
            TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &image.height);
            std::string why = visit(image);
            if (!why.empty())
                return why;
        }
        if (TIFFLastDirectory(tiff))
            return {};
        file.clearMessage();
        if (!TIFFReadDirectory(tiff))
            return file.failure("image " + std::to_string(directory + 1) + " cannot be read");
    }
}

Report readFailure(const std::string& path, std::string why)
{
    Report report;
    report.failure = Failure::Read;
    report.file = path;
    report.text = std::move(why);
    return report;
}

bool tilesInsideFile(TIFF* tiff, uint64_t fileSize, std::string& why)
{
    const uint32_t tiles = TIFFNumberOfTiles(tiff);
    for (uint32_t tile = 0; tile < tiles; ++tile) {
        int failed = 0;
        const uint64_t offset = TIFFGetStrileOffsetWithErr(tiff, tile, &failed);
        const uint64_t bytes = failed ? 0 : TIFFGetStrileByteCountWithErr(tiff, tile, &failed);
        if (failed || bytes == 0) {
            why = "tile " + std::to_string(tile) + " holds no bytes";
            return false;
        }
        if (offset > fileSize || bytes > fileSize - offset) {
            why = "tile " + std::to_string(tile) + " lies past the end of the file (cut short?)";
            return false;
        }
    }
    return true;
}

bool gdalMetadataItem(TIFF* tiff, const char* name, const char* domain, std::string_view& text)
{
    const char* xml = nullptr;
    if (TIFFGetField(tiff, kGdalMetadataTag, &xml) != 1 || xml == nullptr)
        return false;
    // GDAL writes each item as <Item name="N" domain="D">TEXT</Item>, the
    // domain left out for the default one; attributes are read in any order.
    const std::string_view all(xml);
    const std::string_view open = "<Item", close = "</Item>";
    for (size_t at = all.find(open); at != std::string_view::npos; at = all.find(open, at + 1)) {
        const size_t tagEnd = all.find('>', at);
        if (tagEnd == std::string_view::npos)
            return false;
        std::string_view attributes = all.substr(at + open.size(), tagEnd - at - open.size());
        std::string_view itemName, itemDomain;
        while (true) {
            const size_t equals = attributes.find("=\"");
            if (equals == std::string_view::npos)
                break;
            const size_t valueEnd = attributes.find('"', equals + 2);
            if (valueEnd == std::string_view::npos)
                break;
            std::string_view key = attributes.substr(0, equals);
            key.remove_prefix(std::min(key.find_first_not_of(" \t\r\n"), key.size()));
            const std::string_view value = attributes.substr(equals + 2, valueEnd - equals - 2);
            if (key == "name")
                itemName = value;
            else if (key == "domain")
                itemDomain = value;
            attributes.remove_prefix(valueEnd + 1);
        }
        if (itemName != name || itemDomain != domain)
            continue;
        if (all[tagEnd - 1] == '/') {
            text = {};
            return true;
        }
        const size_t textEnd = all.find(close, tagEnd);
        if (textEnd == std::string_view::npos)
            return false;
        text = all.substr(tagEnd + 1, textEnd - tagEnd - 1);
        return true;
    }
    return false;
}
