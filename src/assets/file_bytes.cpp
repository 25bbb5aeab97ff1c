#include "assets/file_bytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens without waiting on a pipe's writer, then takes the file only if its
// kind is allowed, back in blocking mode.
std::FILE* openWithoutWaiting(const char* fileName, bool folders)
{
    const int fd = open(fileName, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !(S_ISREG(status.st_mode) || (folders && S_ISDIR(status.st_mode)))) {
        close(fd);
        errno = ENXIO;
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr)
        close(fd);
    return file;
}

} // namespace

std::FILE* openFileForReading(const char* fileName) { return openWithoutWaiting(fileName, true); }

bool readWholeFile(const char* fileName, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    std::FILE* file = openFileForReading(fileName);
    if (!file)
        return false;
    // Room for the whole file at once: grown chunk by chunk, a large picture
    // would be copied several times over, into fresh pages each time.
    struct stat status {};
    if (fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode))
        bytes.reserve(size_t(status.st_size));
    uint8_t chunk[64 * 1024];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    // A directory opens but cannot be read; that is no file to decode.
    const bool readAll = !std::ferror(file);
    std::fclose(file);
    return readAll;
}

FileRead readRegularFile(const char* fileName, size_t mostBytes, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    std::FILE* file = openWithoutWaiting(fileName, false);
    if (!file)
        return errno == ENXIO ? FileRead::NotRegular : FileRead::CannotOpen;
    struct stat status {};
    if (fstat(fileno(file), &status) != 0) {
        std::fclose(file);
        return FileRead::ReadFailed;
    }
    if (static_cast<uintmax_t>(status.st_size) > mostBytes) {
        std::fclose(file);
        return FileRead::TooLarge;
    }
    // Read up to one byte more than allowed, to tell a file that grew.
    bytes.reserve(static_cast<size_t>(status.st_size));
    uint8_t chunk[64 * 1024];
    size_t got = 0, read = 0;
    while (got <= mostBytes && (read = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + read);
        got += read;
    }
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        errno = error;
        return FileRead::ReadFailed;
    }
    if (got > mostBytes) {
        bytes.clear();
        return FileRead::TooLarge;
    }
    return FileRead::Read;
}
