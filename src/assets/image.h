#pragma once
// A decoded picture, shared by the BMP and TGA readers: 8-bit components,
// rows packed back to back with no gap bytes, in the order the reader gives
// them (the first row in the buffer is texture coordinate t = 0).

#include "assets/load_outcome.h"

#include <cstdint>
#include <optional>
#include <vector>

struct Image {
    int32_t components = 0;      // bytes per pixel: 3 (R, G, B) or 4 (R, G, B, A)
    int32_t width = 0;           // pixels per row
    int32_t height = 0;          // rows
    std::vector<uint8_t> pixels; // width * height * components bytes
    // Rows at the end of the file's order that the file does not wholly hold
    // (cut short, or a run-length stream that stops early). They are filled
    // as the format fills missing pixels; only the checker reports them.
    int32_t missingRows = 0;
};

// The most pixels a reader gives a picture: 8192 x 8192, 256 MiB at four
// bytes a pixel. A picture keeps its declared size even where the file holds
// less (run-length codes skip whole rows in a few bytes), so memory is bounded
// by this limit and not by the bytes present. A larger claim is refused.
constexpr uint64_t kMostPicturePixels = uint64_t(8192) * 8192;

// What a decoder gives back: the picture, or the message its reader shows.
// A failure without a message (nullptr) is one that the reader passes over
// in silence.
struct ImageResult {
    std::optional<Image> image;
    const char* failure = nullptr;
};

// What a reader gives for a named file: the picture, or the report of why
// there is none.
struct PictureLoad {
    std::optional<Image> image;
    Report report;
};
