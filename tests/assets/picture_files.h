#pragma once
// Picture files written field by field, for the reader and texture tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void put32(Bytes& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A BMP file written field by field. Palette entries are 0xRRGGBB.
struct Bmp {
    uint32_t headerBytes = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    std::vector<uint32_t> palette;
    std::vector<uint32_t> masks;
    Bytes pixels;
    bool fileHeader = true;
    int64_t pixelOffset = -1; // bfOffBits; -1: right after header, masks and palette

    Bytes bytes() const
    {
        Bytes info;
        put32(info, headerBytes);
        if (headerBytes == 12) {
            put16(info, uint32_t(width));
            put16(info, uint32_t(height));
            put16(info, 1);
            put16(info, bitCount);
        } else {
            put32(info, uint32_t(width));
            put32(info, uint32_t(height));
            put16(info, 1);
            put16(info, bitCount);
            put32(info, compression);
            put32(info, 0);
            put32(info, 2835);
            put32(info, 2835);
            put32(info, coloursUsed);
            put32(info, 0);
            info.resize(headerBytes, 0);
        }
        for (uint32_t mask : masks)
            put32(info, mask);
        for (uint32_t colour : palette) {
            info.push_back(uint8_t(colour));
            info.push_back(uint8_t(colour >> 8));
            info.push_back(uint8_t(colour >> 16));
            if (headerBytes != 12)
                info.push_back(0);
        }
        Bytes file;
        if (fileHeader) {
            file = {'B', 'M'};
            put32(file, uint32_t(14 + info.size() + pixels.size()));
            put32(file, 0);
            put32(file, uint32_t(pixelOffset >= 0 ? pixelOffset : int64_t(14 + info.size())));
        }
        file.insert(file.end(), info.begin(), info.end());
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    }
};

using Bytes = std::vector<uint8_t>;

// An 18-byte TGA header followed by the ID field and the given data.
inline Bytes tga(uint8_t type, uint8_t depth, uint16_t width, uint16_t height, const Bytes& data,
                 uint8_t idLength = 0, uint8_t descriptor = 0)
{
    Bytes file = {idLength,
                  0,
                  type,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  uint8_t(width),
                  uint8_t(width >> 8),
                  uint8_t(height),
                  uint8_t(height >> 8),
                  depth,
                  descriptor};
    for (uint8_t i = 0; i < idLength; ++i)
        file.push_back(uint8_t(0xA0 + i));
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// Writes bytes to a file in the test's temporary folder; returns its path.
inline std::string writeTempFile(const char* name, const Bytes& bytes)
{
    const std::string path = ::testing::TempDir() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}
