// The one translation unit of these tests that holds stb_image's
// implementation: the PNGs the tools write are read back with a reader that
// we did not write.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
