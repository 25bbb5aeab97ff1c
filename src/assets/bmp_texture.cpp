#include "assets/bmp_texture.h"

void loadBmpTexture(GLuint&, const char*)
{
    // BMP pictures come with the BMP reader; until then every slot stays 0.
}
