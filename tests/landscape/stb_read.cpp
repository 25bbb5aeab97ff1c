// The one translation unit that holds stb_image's implementation, the reader
// the tests decode generated pictures with; built without our warnings.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
