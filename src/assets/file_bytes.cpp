#include "assets/file_bytes.h"

#include <cstdio>
#include <sys/stat.h>

bool readWholeFile(const char* fileName, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    std::FILE* file = std::fopen(fileName, "rb");
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
