// The one translation unit that holds stb_image_write's implementation; it is
// built without warnings, since the library is not ours to change.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
