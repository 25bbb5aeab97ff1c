// Build step: turns a rendering of the icon (PNG) into a C++ header of RGBA
// pixels, so the viewer gives its window the icon without reading a file.
//   embed_icon ICON.png OUT.h
#include <stb_image.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: embed_icon ICON.png OUT.h\n");
        return 2;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels = stbi_load(argv[1], &width, &height, &channels, 4);
    if (!pixels) {
        std::fprintf(stderr, "embed_icon: %s: %s\n", argv[1], stbi_failure_reason());
        return 1;
    }
    std::FILE* out = std::fopen(argv[2], "w");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    std::fprintf(out, "// Generated from the icon's rendering by embed_icon.\n#pragma once\n");
    std::fprintf(out, "constexpr int kWindowIconWidth = %d;\nconstexpr int kWindowIconHeight = %d;\n", width, height);
    std::fprintf(out, "constexpr unsigned char kWindowIconPixels[] = { // RGBA, rows top first\n");
    const int bytes = width * height * 4;
    for (int i = 0; i < bytes; ++i)
        std::fprintf(out, "%d,%c", pixels[i], i % 16 == 15 ? '\n' : ' ');
    std::fprintf(out, "};\n");
    stbi_image_free(pixels);
    return std::fclose(out) == 0 ? 0 : 1;
}
