#pragma once
// Whole files read into memory, for the readers that decode bytes. A pipe, a
// device or a socket is never waited on: a reader would hang on it, or read
// without end.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// fopen(fileName, "rb") that refuses (null, errno ENXIO) anything but a
// regular file or a folder without waiting on it; a folder opens as fopen
// opens it and fails at the first read.
std::FILE* openFileForReading(const char* fileName);

// Reads all of the named file into bytes. False when it cannot be opened or
// read; an empty file reads as true with no bytes.
bool readWholeFile(const char* fileName, std::vector<uint8_t>& bytes);

enum class FileRead {
    Read,
    CannotOpen, // errno says why
    NotRegular, // a folder, a pipe, a device or a socket
    TooLarge,   // more than the bytes allowed; nothing past them was read
    ReadFailed, // errno says why
};

// Reads all of a regular file of at most mostBytes into bytes, judged by its
// size before anything is read and read with that bound, so a file that
// grows meanwhile is refused as well.
FileRead readRegularFile(const char* fileName, size_t mostBytes, std::vector<uint8_t>& bytes);
