// The one translation unit of the tools that holds stb_image_write's
// implementation; built without our warnings, since it is not ours to change.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
