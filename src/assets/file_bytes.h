#pragma once
// Whole files read into memory, for the readers that decode bytes.

#include <cstdint>
#include <vector>

// Reads all of the named file into bytes. False when it cannot be opened or
// read; an empty file reads as true with no bytes.
bool readWholeFile(const char* fileName, std::vector<uint8_t>& bytes);
