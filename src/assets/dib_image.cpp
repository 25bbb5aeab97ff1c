#include "assets/dib_image.h"

ImageResult decodeDibImage(const uint8_t*, size_t) { return {std::nullopt, "Image file conversion error."}; }

std::optional<Image> loadDibImage(const char*) { return std::nullopt; }
