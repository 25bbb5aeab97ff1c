#include "assets/texture_upload.h"

#include <GL/glu.h>

void makeMipmappedTexture(GLuint& name, const Image& image, GLint minFilter)
{
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, image.components, image.width, image.height,
                      image.components == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
}
