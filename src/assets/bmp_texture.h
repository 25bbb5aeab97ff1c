#pragma once
// Textures from BMP pictures: the eight that start-up loads (terrain, detail
// and the six sky faces). A picture that cannot be loaded leaves its slot at 0,
// so whatever binds it draws untextured.

#include <GL/gl.h>

void loadBmpTexture(GLuint& slot, const char* fileName);
